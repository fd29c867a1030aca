#include "PicturePack.h"

#include <QDir>
#include <QFile>

namespace PicturePack {

namespace {

const QByteArray PieceSeparator("/x5x/");
constexpr char NameSeparator = '|';

std::vector<QByteArray> SplitPieces(const QByteArray& bytes) {
    std::vector<QByteArray> pieces;
    qsizetype from = 0;
    for (qsizetype at; (at = bytes.indexOf(PieceSeparator, from)) >= 0;
         from = at + PieceSeparator.size())
        pieces.push_back(bytes.mid(from, at - from));
    pieces.push_back(bytes.mid(from));
    return pieces;
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
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.contains(QChar(0));
}

bool EntryExists(const QString& folder, const QString& name) {
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot);
    return entries.contains(name, Qt::CaseInsensitive);
}

QString FreeFolder(const QString& booksFolder, const QString& book) {
    QString name = book;
    for (int n = 1; EntryExists(booksFolder, name); ++n) name = book + QString::number(n);
    return booksFolder + QLatin1Char('/') + name;
}

QString FreeFileName(const QString& folder, const QString& name) {
    if (!EntryExists(folder, name)) return name;
    if (name.size() < 4) return QString();
    const QString stem = name.left(name.size() - 4), ext = name.right(3);
    QString free;
    for (int n = 1;; ++n) {
        free = stem + QLatin1Char('_') + QString::number(n) + QLatin1Char('.') + ext;
        if (!EntryExists(folder, free)) return free;
    }
}

QString Install(const Pack& pack, const QString& booksFolder) {
    const QString folder = FreeFolder(booksFolder, pack.Book);
    if (!QDir().mkdir(folder)) return QString();

    QStringList created;
    auto undo = [&] {
        for (const QString& name : created) QFile::remove(folder + QLatin1Char('/') + name);
        QDir().rmdir(folder);
        return QString();
    };

    for (size_t k = 0; k < pack.Pieces.size(); ++k) {
        const QString name = FreeFileName(folder, pack.Names[qsizetype(k)]);
        if (name.isEmpty()) return undo();
        QFile file(folder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return undo();
        created << name;
        const QByteArray& piece = pack.Pieces[k];
        const bool written =
            file.write(piece) == piece.size() && file.write("\r\n", 2) == 2 && file.flush();
        file.close();
        if (!written || file.error() != QFileDevice::NoError) return undo();
    }
    return folder;
}

QString Install(const QByteArray& bytes, const QString& booksFolder) {
    const std::optional<Pack> pack = Parse(bytes);
    return pack ? Install(*pack, booksFolder) : QString();
}

} // namespace PicturePack
