#include "PicturePack.h"

#include "LibraryScan.h"
#include "PictureCheck.h"
#include "SaveFile.h"
#include "VbError.h"
#include "WriteError.h"
#include "cNDib.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace PicturePack {

namespace {

const QByteArray PieceSeparator("/x5x/");
constexpr char NameSeparator = '|';
const QString OwnPictures = QStringLiteral("own pictures");
const QLatin1String StagingPrefix(".tv-import-");
constexpr int StagingRandomLength = 6;

std::vector<QByteArray> SplitPieces(const QByteArray& bytes) {
    std::vector<QByteArray> pieces;
    qsizetype from = 0;
    for (qsizetype at; (at = bytes.indexOf(PieceSeparator, from)) >= 0;
         from = at + PieceSeparator.size())
        pieces.push_back(bytes.mid(from, at - from));
    pieces.push_back(bytes.mid(from));
    return pieces;
}

QString Folded(const QString& name) {
    return name.toCaseFolded();
}

// Whether the library scan can show the file. (The stage's colour only tints a GIF's
// transparent pixels; it cannot change whether the picture loads.)
bool LoadsAsPicture(const QString& path, cNDib& buffer) {
    try {
        LoadIntoBuffer(path, 0xFFFFFF, buffer);
        return true;
    } catch (const vb::VbError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool TooLarge(const QByteArray& piece) {
    const QSize size = HeaderSize(piece);
    return size.width() > MaxPictureSide || size.height() > MaxPictureSide;
}

Result Failed(Outcome kind, int error = 0) {
    Result r;
    r.Kind = kind;
    // A books folder that has gone missing cannot take the pictures either.
    const vb::WriteError what =
        error == ENOENT ? vb::WriteError::FolderNotWritable : vb::ClassifyWriteError(error);
    if (what == vb::WriteError::DiskFull) r.Cause = WriteFailure::DiskFull;
    if (what == vb::WriteError::FolderNotWritable)
        r.Cause = WriteFailure::FolderNotWritable;
    return r;
}

// A name the file system will not take is the pack's fault, not the disk's.
bool IsNameError(int error) {
    return error == ENAMETOOLONG || error == EINVAL || error == EILSEQ || error == EEXIST;
}

bool WriteAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// 0, or the errno of what failed.
int WritePiece(const QString& path, const QByteArray& piece) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    int error = 0;
    if (!WriteAll(fd, piece.constData(), piece.size()) || !WriteAll(fd, "\r\n", 2)) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    return error;
}

// The staging folder's path, or empty with `error` set.
QString MakeStagingFolder(const QString& booksFolder, int& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path =
            booksFolder + QLatin1Char('/') + StagingPrefix + vb::RandomSuffix(StagingRandomLength);
        if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0) return path;
        error = errno;
        if (error != EEXIST) return QString();
    }
    return QString();
}

// Runs `flush` (fsync: the folder's entries; syncfs: the whole file system holding it)
// on the folder. 0, or the errno of what failed.
int Flush(const QString& folder, int (*flush)(int)) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return errno;
    const int error = flush(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

// Renames without replacing anything: EEXIST when the target exists.
int RenameNew(const QString& from, const QString& to) {
    const QByteArray f = QFile::encodeName(from), t = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL) return errno;
    // A file system without the flag: nothing else creates books while we run.
    if (QFileInfo::exists(to)) return EEXIST;
    return std::rename(f.constData(), t.constData()) == 0 ? 0 : errno;
}

} // namespace

std::optional<Pack> Parse(const QByteArray& bytes) {
    std::vector<QByteArray> pieces = SplitPieces(bytes);
    const size_t files = pieces.size() - 1;
    if (files < 1) return std::nullopt;

    // The names were written in an 8-bit code page: one byte, one character.
    QStringList names;
    for (const QByteArray& name : pieces[0].split(NameSeparator))
        names << QString::fromLatin1(name);
    if (size_t(names.size()) < files + 1) return std::nullopt;
    names = names.mid(0, qsizetype(files + 1));
    for (const QString& name : names)
        if (!IsPlainName(name)) return std::nullopt;

    Pack pack;
    pack.Book = names.takeFirst();
    pack.Names = names;
    pack.Pieces.assign(std::make_move_iterator(pieces.begin() + 1),
                       std::make_move_iterator(pieces.end()));
    return pack;
}

bool IsPlainName(const QString& name) {
    return !name.isEmpty() && !name.startsWith(QLatin1Char('.')) &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.contains(QChar(0));
}

TakenNames::TakenNames(const QString& folder) {
    const QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    names_.reserve(entries.size());
    for (const QString& e : entries) insert(e);
}

bool TakenNames::contains(const QString& name) const {
    return names_.contains(Folded(name));
}

void TakenNames::insert(const QString& name) {
    names_.insert(Folded(name));
}

QString TakenNames::TakeBookName(const QString& book) {
    const QString key = Folded(book) + QLatin1Char('/');
    QString name = book;
    int n = nextNumber_.value(key, 1);
    while (contains(name)) name = book + QString::number(n++);
    nextNumber_[key] = n;
    insert(name);
    return name;
}

QString TakenNames::TakeFileName(const QString& name) {
    if (!contains(name)) {
        insert(name);
        return name;
    }
    if (name.size() < 4) return QString();
    const QString stem = name.left(name.size() - 4), ext = name.right(3);
    const QString key = Folded(stem) + QLatin1Char('/') + Folded(ext);
    QString free;
    int n = nextNumber_.value(key, 1);
    do {
        free = stem + QLatin1Char('_') + QString::number(n++) + QLatin1Char('.') + ext;
    } while (contains(free));
    nextNumber_[key] = n;
    insert(free);
    return free;
}

bool IsStagingFolder(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\.tv-import-[A-Za-z0-9]{%1}$").arg(StagingRandomLength));
    return pattern.match(name).hasMatch();
}

Result InstallBook(const Pack& pack, const QString& booksFolder) {
    if (!QFileInfo(booksFolder).isDir()) return Failed(Outcome::CannotWrite, ENOTDIR);
    TakenNames books(booksFolder);
    books.insert(OwnPictures); // the child's own page is never a pack's book

    int mkdirError = 0;
    const QString staging = MakeStagingFolder(booksFolder, mkdirError);
    if (staging.isEmpty()) return Failed(Outcome::CannotWrite, mkdirError);
    auto fail = [&](Outcome kind, int why = 0) {
        QDir(staging).removeRecursively();
        return Failed(kind, why);
    };

    TakenNames files;
    cNDib buffer;
    for (size_t k = 0; k < pack.Pieces.size(); ++k) {
        const QByteArray& piece = pack.Pieces[k];
        const QString name = files.TakeFileName(pack.Names[qsizetype(k)]);
        if (name.isEmpty()) return fail(Outcome::Damaged);
        // From the header alone: a huge picture is never decoded.
        if (TooLarge(piece)) return fail(Outcome::TooLarge);
        if (!IsWholePicture(piece)) return fail(Outcome::Damaged);
        const QString path = staging + QLatin1Char('/') + name;
        if (const int error = WritePiece(path, piece))
            return fail(IsNameError(error) ? Outcome::Damaged : Outcome::CannotWrite, error);
        if (!LoadsAsPicture(path, buffer)) return fail(Outcome::Damaged);
    }
    // Everything the import wrote, in one call instead of a flush per file, which costs
    // milliseconds each.
    if (const int error = Flush(staging, ::syncfs)) return fail(Outcome::CannotWrite, error);

    for (;;) {
        const QString folder = booksFolder + QLatin1Char('/') + books.TakeBookName(pack.Book);
        const int error = RenameNew(staging, folder);
        if (error == EEXIST || error == ENOTEMPTY) continue; // appeared since the listing
        if (error != 0) return fail(Outcome::CannotWrite, error);
        Flush(booksFolder, ::fsync);
        Result done;
        done.Kind = Outcome::Installed;
        done.Folder = folder;
        return done;
    }
}

Result InstallBook(const QByteArray& bytes, const QString& booksFolder) {
    const std::optional<Pack> pack = Parse(bytes);
    return pack ? InstallBook(*pack, booksFolder) : Failed(Outcome::Damaged);
}

QString Install(const Pack& pack, const QString& booksFolder) {
    return InstallBook(pack, booksFolder).Folder;
}

QString Install(const QByteArray& bytes, const QString& booksFolder) {
    return InstallBook(bytes, booksFolder).Folder;
}

} // namespace PicturePack
