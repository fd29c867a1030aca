#include "PicturePack.h"

#include "ColoredCopy.h"
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
constexpr int MaxRenameAttempts = 1000;

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

// Characters that a file system refuses in a name (some do, for "?" or ":"): the pack's
// fault, not the disk's. Lengths are checked before anything is written.
bool IsNameError(int error) {
    return error == EINVAL || error == EILSEQ;
}

// The next name of the header from `at` (moved past its "|"); nothing once the header is
// used up.
std::optional<QString> NextName(QByteArrayView header, qsizetype& at) {
    if (at > header.size()) return std::nullopt;
    qsizetype end = header.indexOf(NameSeparator, at);
    if (end < 0) end = header.size();
    // The names were written in an 8-bit code page: one byte, one character.
    const QString name = QString::fromLatin1(header.sliced(at, end - at));
    at = end + 1;
    return name;
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

QByteArray Pack::Piece(size_t k) const {
    const Span& span = Pieces[k];
    return QByteArray::fromRawData(Bytes.constData() + span.From, span.Size);
}

std::optional<Pack> Parse(const QByteArray& bytes, Outcome* refusal) {
    auto refuse = [&](Outcome why) -> std::optional<Pack> {
        if (refusal) *refusal = why;
        return std::nullopt;
    };
    qsizetype at = bytes.indexOf(PieceSeparator);
    if (at < 0) return refuse(Outcome::Damaged);

    // One name for each piece, taken as the piece is found: a header of millions of "|"
    // before a few pieces costs no more than those few names.
    const QByteArrayView header(bytes.constData(), at);
    qsizetype nameAt = 0;
    Pack pack;
    pack.Bytes = bytes;
    const std::optional<QString> book = NextName(header, nameAt);
    if (const std::optional<Outcome> why = RefusedName(*book, true)) return refuse(*why);
    pack.Book = *book;
    while (at >= 0) {
        const qsizetype from = at + PieceSeparator.size();
        at = bytes.indexOf(PieceSeparator, from);
        const std::optional<QString> name = NextName(header, nameAt);
        if (!name) return refuse(Outcome::Damaged); // fewer names than pieces
        if (const std::optional<Outcome> why = RefusedName(*name, false)) return refuse(*why);
        pack.Names << *name;
        pack.Pieces.push_back({from, (at < 0 ? bytes.size() : at) - from});
    }
    return pack;
}

bool IsPlainName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.contains(QChar(0));
}

std::optional<Outcome> RefusedName(const QString& name, bool book) {
    if (!IsPlainName(name) || QFile::encodeName(name).size() > MaxPackNameBytes)
        return Outcome::Damaged;
    if (book) {
        // A hidden book is never listed, and start-up takes hidden names in the books
        // folder for what an interrupted import left.
        if (name.startsWith(QLatin1Char('.'))) return Outcome::Damaged;
    } else if (!IsListedPictureName(name)) {
        return Outcome::Unlisted;
    }
    return std::nullopt;
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
    qint64 n = nextNumber_.value(key, 1);
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
    qint64 n = nextNumber_.value(key, 1);
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
    // Whatever the names, they are judged before anything is written (a pack made in
    // memory has not been through Parse).
    if (pack.Names.size() < qsizetype(pack.PieceCount())) return Failed(Outcome::Damaged);
    if (const std::optional<Outcome> why = RefusedName(pack.Book, true)) return Failed(*why);
    for (size_t k = 0; k < pack.PieceCount(); ++k)
        if (const std::optional<Outcome> why = RefusedName(pack.Names[qsizetype(k)], false))
            return Failed(*why);
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

    TakenNames files, copies;
    cNDib buffer;
    for (size_t k = 0; k < pack.PieceCount(); ++k) {
        const QByteArray piece = pack.Piece(k);
        const QString name = files.TakeFileName(pack.Names[qsizetype(k)]);
        if (name.isEmpty()) return fail(Outcome::Damaged);
        // Two pictures with one coloured copy: the child could never tell them apart. (A
        // listed name ends in a dot and three letters, so it always has a copy name.)
        const QString copy = ColoredCopyName(name);
        if (copies.contains(copy)) return fail(Outcome::Twins);
        copies.insert(copy);
        // From the header alone: a huge picture is never decoded.
        if (TooLarge(piece)) return fail(Outcome::TooLarge);
        if (!IsWholePicture(piece)) return fail(Outcome::Damaged);
        const QString path = staging + QLatin1Char('/') + name;
        if (const int error = WritePiece(path, piece))
            // A file already there in the new folder: two names the file system holds
            // for one.
            return fail(IsNameError(error) || error == EEXIST ? Outcome::Damaged
                                                              : Outcome::CannotWrite,
                        error);
        if (!LoadsAsPicture(path, buffer)) return fail(Outcome::Damaged);
    }
    // Everything the import wrote, in one call instead of a flush per file, which costs
    // milliseconds each.
    if (const int error = Flush(staging, ::syncfs)) return fail(Outcome::CannotWrite, error);

    // Each try takes a new name; books that keep appearing under our feet end it.
    for (int attempt = 0;; ++attempt) {
        const QString folder = booksFolder + QLatin1Char('/') + books.TakeBookName(pack.Book);
        const int error = RenameNew(staging, folder);
        if ((error == EEXIST || error == ENOTEMPTY) && attempt < MaxRenameAttempts)
            continue; // appeared since the listing
        if (error != 0)
            return fail(IsNameError(error) ? Outcome::Damaged : Outcome::CannotWrite, error);
        Flush(booksFolder, ::fsync);
        Result done;
        done.Kind = Outcome::Installed;
        done.Folder = folder;
        return done;
    }
}

Result InstallBook(const QByteArray& bytes, const QString& booksFolder) {
    Outcome refusal = Outcome::Damaged;
    const std::optional<Pack> pack = Parse(bytes, &refusal);
    return pack ? InstallBook(*pack, booksFolder) : Failed(refusal);
}

QString Install(const Pack& pack, const QString& booksFolder) {
    return InstallBook(pack, booksFolder).Folder;
}

QString Install(const QByteArray& bytes, const QString& booksFolder) {
    return InstallBook(bytes, booksFolder).Folder;
}

} // namespace PicturePack
