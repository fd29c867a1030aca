#include "PicturePack.h"

#include "LibraryScan.h"
#include "SaveFile.h"
#include "VbError.h"
#include "cNDib.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <new>
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

bool WritePiece(const QString& path, const QByteArray& piece) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return false;
    const bool written = file.write(piece) == piece.size() && file.write("\r\n", 2) == 2;
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

QString MakeStagingFolder(const QString& booksFolder) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path =
            booksFolder + QLatin1Char('/') + StagingPrefix + vb::RandomSuffix(StagingRandomLength);
        if (QDir().mkdir(path)) return path;
        if (!QFileInfo::exists(path)) return QString();
    }
    return QString();
}

// Runs `flush` (fsync: the folder's entries; syncfs: the whole file system holding it)
// on the folder.
bool Flush(const QString& folder, int (*flush)(int)) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    const bool flushed = flush(fd) == 0;
    ::close(fd);
    return flushed;
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

QString Install(const Pack& pack, const QString& booksFolder) {
    if (!QFileInfo(booksFolder).isDir()) return QString();
    TakenNames books(booksFolder);
    books.insert(OwnPictures); // the child's own page is never a pack's book

    const QString staging = MakeStagingFolder(booksFolder);
    if (staging.isEmpty()) return QString();
    auto fail = [&] {
        QDir(staging).removeRecursively();
        return QString();
    };

    TakenNames files;
    cNDib buffer;
    for (size_t k = 0; k < pack.Pieces.size(); ++k) {
        const QString name = files.TakeFileName(pack.Names[qsizetype(k)]);
        if (name.isEmpty()) return fail();
        const QString path = staging + QLatin1Char('/') + name;
        if (!WritePiece(path, pack.Pieces[k]) || !LoadsAsPicture(path, buffer)) return fail();
    }
    // Everything the import wrote, in one call instead of a flush per file, which costs
    // milliseconds each.
    if (!Flush(staging, ::syncfs)) return fail();

    for (;;) {
        const QString folder = booksFolder + QLatin1Char('/') + books.TakeBookName(pack.Book);
        const int error = RenameNew(staging, folder);
        if (error == EEXIST || error == ENOTEMPTY) continue; // appeared since the listing
        if (error != 0) return fail();
        Flush(booksFolder, ::fsync);
        return folder;
    }
}

QString Install(const QByteArray& bytes, const QString& booksFolder) {
    const std::optional<Pack> pack = Parse(bytes);
    return pack ? Install(*pack, booksFolder) : QString();
}

} // namespace PicturePack
