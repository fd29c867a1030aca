#include "SaveFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vb {

namespace {

const QLatin1String Prefix(".tv-save-");
constexpr int RandomLength = 8;
// Earlier versions named the file ".<target>.tv-save-" and six characters.
constexpr int OldRandomLength = 6;
// A journal names two files; anything longer is not one of ours.
constexpr qint64 MaxJournalBytes = 4 * 8192;

std::function<void(CommitStep)>& StepObserver() {
    static std::function<void(CommitStep)> observer;
    return observer;
}

void Reached(CommitStep step) {
    if (StepObserver()) StepObserver()(step);
}

QByteArray Encoded(const QString& path) {
    return QFile::encodeName(path);
}

// Makes a rename in `folder` last through a power cut; a folder that cannot be synced
// still holds the rename for every process, so a failure changes nothing here.
void SyncFolder(const QString& folder) {
    const int fd = ::open(Encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool IsTemporaryName(const QString& fileName) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\.tv-save-[A-Za-z0-9]{%1}$").arg(RandomLength));
    return pattern.match(fileName).hasMatch();
}

QString FolderOf(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absolutePath());
}

bool& UnnamedAllowed() {
    static bool allowed = true;
    return allowed;
}

// The name under which /proc shows this process's open file `fd`.
QByteArray ProcPath(int fd) {
    return "/proc/self/fd/" + QByteArray::number(fd);
}

} // namespace

QString RandomSuffix(int length) {
    static const char characters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < length; ++i)
        suffix += QLatin1Char(
            characters[QRandomGenerator::global()->bounded(int(sizeof characters) - 1)]);
    return suffix;
}

SaveFile::SaveFile(const QString& target) : target_(target) {}

SaveFile::~SaveFile() {
    cancelWriting();
}

bool SaveFile::open(OpenMode) {
    if (isOpen() || finished_) return false;
    const QString folder = QFileInfo(target_).path();
    // Any failure of the unnamed way leaves the named way to find, and report, the cause.
    if (!(UnnamedAllowed() && openUnnamed(folder)) && !openNamed(folder)) return false;
    systemError_ = 0;
    const QFileInfo old(target_);
    if (old.exists()) setPermissions(old.permissions());
    return true;
}

bool SaveFile::openUnnamed(const QString& folder) {
    const int fd = ::open(Encoded(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    // The name is given through /proc: without it the file could never be kept.
    if (::access(ProcPath(fd).constData(), F_OK) != 0 ||
        !QFile::open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                     QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    temporary_ = folder + QLatin1Char('/') + Prefix + RandomSuffix(RandomLength);
    named_ = false;
    return true;
}

bool SaveFile::openNamed(const QString& folder) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = folder + QLatin1Char('/') + Prefix + RandomSuffix(RandomLength);
        setFileName(temporary_);
        errno = 0;
        if (QFile::open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            named_ = true;
            return true;
        }
        const int cause = errno != 0 ? errno : EIO; // before the test below can change it
        // Only a name that happens to be taken is worth another try.
        if (!QFileInfo::exists(temporary_)) {
            systemError_ = cause;
            return false;
        }
    }
    systemError_ = EEXIST;
    return false;
}

QString SaveFile::fileName() const {
    return temporary_;
}

bool SaveFile::setPermissions(Permissions permissions) {
    // While open, Qt sets them through the descriptor, all that an unnamed file has.
    if (isOpen()) return QFile::setPermissions(permissions);
    return QFile::setPermissions(temporary_, permissions);
}

bool SaveFile::giveName() {
    const QByteArray source = ProcPath(handle());
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (attempt > 0)
            temporary_ = QFileInfo(target_).path() + QLatin1Char('/') + Prefix +
                         RandomSuffix(RandomLength);
        errno = 0;
        if (::linkat(AT_FDCWD, source.constData(), AT_FDCWD, Encoded(temporary_).constData(),
                     AT_SYMLINK_FOLLOW) == 0) {
            named_ = true;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    errno = EEXIST;
    return false;
}

qint64 SaveFile::writeData(const char* data, qint64 length) {
    errno = 0;
    const qint64 written = QFile::writeData(data, length);
    if (written != length) noteFailure();
    return written;
}

void SaveFile::noteFailure() {
    if (systemError_ == 0) systemError_ = errno != 0 ? errno : EIO;
}

bool SaveFile::finishWriting() {
    if (!isOpen()) return finished_;
    errno = 0;
    // Named only once its bytes are on disk: a kill before leaves nothing behind.
    const bool written =
        systemError_ == 0 && flush() && ::fsync(handle()) == 0 && (named_ || giveName());
    if (!written) noteFailure();
    close();
    finished_ = written && error() == NoError;
    if (!finished_) {
        noteFailure();
        if (named_) QFile::remove(temporary_); // keeps this file's error for the caller
        named_ = false;
    }
    return finished_;
}

bool SaveFile::replaceTarget() {
    errno = 0;
    if (std::rename(Encoded(temporary_).constData(), Encoded(target_).constData()) != 0) {
        noteFailure();
        return false;
    }
    finished_ = false;
    named_ = false;
    return true;
}

bool SaveFile::commit() {
    if (!finishWriting()) return false;
    if (replaceTarget()) return true;
    cancelWriting();
    return false;
}

void SaveFile::cancelWriting() {
    if (isOpen()) close(); // an unnamed file goes with its descriptor
    if (named_ && !kept_) QFile::remove(temporary_);
    named_ = false;
    finished_ = false;
}

void SaveFile::UseUnnamedTemporaries(bool use) {
    UnnamedAllowed() = use;
}

bool SaveFile::IsLeftover(const QString& fileName) {
    static const QRegularExpression old(
        QStringLiteral("^\\..+\\.tv-save-[A-Za-z0-9]{%1}$").arg(OldRandomLength));
    return IsTemporaryName(fileName) || old.match(fileName).hasMatch();
}

// The journal lists each temporary file and its target, relative to the journal's folder
// (the program folder may move between runs); both files are written whole and named
// before it names them. Once it is on disk the replacement counts
// as done: a kill after that point is finished by RecoverTogether, one before it leaves
// only temporary files, which start-up clears.
int CommitTogether(SaveFile& first, SaveFile& second, const QString& journal) {
    // One left unfinished comes first: this one's journal takes its place.
    RecoverTogether(journal);
    SaveFile* const files[] = {&first, &second};
    for (SaveFile* file : files)
        if (!file->finishWriting()) return file->SystemError();
    // A rename cannot put a file over a folder: find that out before anything changes.
    for (SaveFile* file : files)
        if (QFileInfo(file->Target()).isDir()) return EISDIR;
    Reached(CommitStep::Written);

    const QDir folder = QFileInfo(journal).dir();
    QByteArray text;
    for (const SaveFile* file : files)
        text += (folder.relativeFilePath(file->fileName()) + QLatin1Char('\t') +
                 folder.relativeFilePath(file->Target()) + QLatin1Char('\n'))
                    .toUtf8();
    {
        SaveFile record(journal);
        if (!record.open(QIODevice::WriteOnly) || record.write(text) != text.size() ||
            !record.commit())
            return record.SystemError() != 0 ? record.SystemError() : EIO;
    }
    // The journal must outlast a power cut before either file is replaced; a single file's
    // rename needs no such care, as either the old or the new file is there after it.
    SyncFolder(FolderOf(journal));
    Reached(CommitStep::Recorded);

    if (!first.replaceTarget()) {
        // Nothing is replaced yet: without the journal the two files are mere leftovers.
        QFile::remove(journal);
        return first.SystemError();
    }
    Reached(CommitStep::FirstReplaced);
    if (!second.replaceTarget() && !second.replaceTarget()) {
        // Half replaced, and the old first file is gone: the journal and the second file
        // stay, so the next start finishes the pair.
        second.kept_ = true;
        return second.SystemError();
    }
    Reached(CommitStep::BothReplaced);
    // Both renames reach the disk before the journal that could redo them goes: else a
    // power cut could bring back one old file with no journal left to finish the pair.
    SyncFolder(FolderOf(first.Target()));
    if (FolderOf(second.Target()) != FolderOf(first.Target()))
        SyncFolder(FolderOf(second.Target()));
    QFile::remove(journal);
    SyncFolder(FolderOf(journal));
    return 0;
}

bool RecoverTogether(const QString& journal) {
    QFile file(journal);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray text = file.read(MaxJournalBytes);
    file.close();
    const QDir folder = QFileInfo(journal).dir();
    const QList<QByteArray> lines = text.split('\n');
    bool finished = true;
    for (qsizetype i = 0; i < qMin<qsizetype>(lines.size(), 2); ++i) {
        const QList<QByteArray> names = lines[i].split('\t');
        if (names.size() != 2) continue;
        const QString temporary = folder.absoluteFilePath(QString::fromUtf8(names[0]));
        const QString target = folder.absoluteFilePath(QString::fromUtf8(names[1]));
        // A journal damaged or made by hand must not move anyone's files.
        if (!IsTemporaryName(QFileInfo(temporary).fileName()) ||
            FolderOf(temporary) != FolderOf(target) ||
            SaveFile::IsLeftover(QFileInfo(target).fileName()))
            continue;
        if (!QFileInfo::exists(temporary)) continue; // renamed before the kill
        if (std::rename(Encoded(temporary).constData(), Encoded(target).constData()) != 0)
            finished = false;
        else
            SyncFolder(FolderOf(target));
    }
    // A rename that failed is tried again next time: the journal and its files stay.
    if (finished) {
        QFile::remove(journal);
        SyncFolder(FolderOf(journal));
    }
    return true;
}

void SetCommitStepObserver(std::function<void(CommitStep)> observer) {
    StepObserver() = std::move(observer);
}

} // namespace vb
