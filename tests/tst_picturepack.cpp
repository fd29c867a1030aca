// The picture-pack format and its installation: what a pack installs, the free folder
// and file names, packs that must leave the library as it was, and what start-up clears
// after an interrupted import or save.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "BmpSupport.h"
#include "GifSupport.h"
#include "JpegMarkers.h"
#include "JpegSupport.h"
#include "Leftovers.h"
#include "LibraryScan.h"
#include "PackSupport.h"
#include "PictureCheck.h"
#include "PicturePack.h"
#include "SaveFile.h"
#include "StdPicture.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using Bytes = QList<QByteArray>;
using PicturePack::Outcome;
using PicturePack::WriteFailure;
using testing::GifShape;
using testing::JpegLayout;
using testing::MakePack;

Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(GifShape)
Q_DECLARE_METATYPE(WriteFailure)

namespace {

const QByteArray Gif = testing::TinyGif();

QByteArray AllByteValues() {
    QByteArray b;
    for (int i = 0; i < 256; ++i) b += char(i);
    return b;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Every entry below `root` with its content, to see that nothing changed anywhere.
QStringList Tree(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        out << QDir(root).relativeFilePath(path) +
                   (info.isDir() ? QStringLiteral("/")
                                 : QString::fromLatin1(ReadAll(path).toHex()));
    }
    out.sort();
    return out;
}

void Touch(const QString& path, const QByteArray& content = "x") {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// Creates each relative path under `root`: a folder when it ends in "/", else a file.
void Plant(const QString& root, const QStringList& paths) {
    for (const QString& p : paths) {
        const QString full = root + "/" + p;
        if (p.endsWith('/')) {
            QVERIFY(QDir().mkpath(full));
        } else {
            QVERIFY(QDir().mkpath(QFileInfo(full).path()));
            Touch(full, "partial");
        }
    }
}

// `jpeg` with `extra` after each of its segments before the scan, or after the first only.
QByteArray AfterSegments(const QByteArray& jpeg, const QByteArray& extra, bool firstOnly) {
    QByteArray out = jpeg.left(2);
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF && uchar(jpeg[at + 1]) != 0xDA) {
        const int length = uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]);
        out += jpeg.mid(at, 2 + length);
        if (!firstOnly || at == 2) out += extra;
        at += 2 + length;
    }
    return out + jpeg.mid(at);
}

// `jpeg` with `bytes` written over its entropy-coded data, halfway through.
QByteArray OverScan(QByteArray jpeg, const QByteArray& bytes) {
    const qsizetype scan = jpeg.indexOf("\xff\xda");
    return jpeg.replace((scan + jpeg.size()) / 2, bytes.size(), bytes);
}

// Where the `n`th marker among `markers` starts, counting from 1; from the end when `n` is
// negative.
qsizetype Marker(const QByteArray& jpeg, const QByteArray& markers, int n) {
    QList<qsizetype> found;
    for (qsizetype i = 0; i + 1 < jpeg.size(); ++i)
        if (uchar(jpeg[i]) == 0xFF && markers.contains(jpeg[i + 1])) found << i;
    return found.value(n > 0 ? n - 1 : found.size() + n, -1);
}

// A 24-bit BMP header claiming `w` x `h`, and 146 bytes of pixels.
QByteArray BmpClaim(int w, int h) {
    return testing::BmpBytes(4, 3).left(18) + testing::Le(uint32_t(w), 4) +
           testing::Le(uint32_t(h), 4) + testing::BmpBytes(4, 3).mid(26, 28) + QByteArray(146, 'p');
}

} // namespace

class TestPicturePack : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    QString books_;

    // Installs `piece` after a good one: installed, it is kept byte for byte and shows as
    // `shownAs` (when given); refused, nothing of the pack is left.
    void checkPiece(const QByteArray& piece, Outcome outcome, const QByteArray& shownAs) {
        const QStringList before = Tree(root_.path());
        const PicturePack::Result result =
            PicturePack::InstallBook(MakePack("Farm|cow.gif|piece.bmp", {Gif, piece}), books_);
        QCOMPARE(result.Kind, outcome);
        if (outcome == Outcome::Installed) {
            QCOMPARE(result.Folder, books_ + "/Farm");
            QCOMPARE(ReadAll(result.Folder + "/piece.bmp"), piece + "\r\n");
            if (!shownAs.isEmpty()) {
                const QImage shown = vb::LoadPicture(result.Folder + "/piece.bmp").image();
                QCOMPARE(shown, QImage::fromData(shownAs).convertToFormat(shown.format()));
            }
        } else {
            QCOMPARE(result.Folder, QString());
            QCOMPARE(Tree(root_.path()), before);
        }
    }

private slots:
    void init() {
        QVERIFY(root_.isValid());
        QDir(root_.path()).removeRecursively();
        QVERIFY(QDir().mkpath(root_.path() + "/books/Old"));
        books_ = root_.path() + "/books";
        Touch(books_ + "/Old/dog.gif", Gif);
    }

    void installs_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<Bytes>("pieces");
        QTest::addColumn<QStringList>("files"); // written names, piece by piece

        const QByteArray bmp = testing::BmpBytes(3, 2);
        QTest::newRow("two pictures") << QByteArray("Farm|cow.gif|pig.bmp") << Bytes{Gif, bmp}
                                      << QStringList{"cow.gif", "pig.bmp"};
        QTest::newRow("names beyond the pieces ignored")
            << QByteArray("Farm|cow.gif|pig.bmp|hen.gif") << Bytes{Gif} << QStringList{"cow.gif"};
        QTest::newRow("every byte value, a bar and half a separator after the pictures")
            << QByteArray("Bytes|all.bmp|tail.gif")
            << Bytes{bmp + AllByteValues() + "|/x5x" + AllByteValues(),
                     Gif + QByteArray("\r\n\0\xff/x5", 7)}
            << QStringList{"all.bmp", "tail.gif"};
        QTest::newRow("same name twice, any case")
            << QByteArray("Cats|cat.gif|CAT.GIF|cat_1.gif") << Bytes{Gif, Gif + "b", Gif + "c"}
            << QStringList{"cat.gif", "CAT_1.GIF", "cat_1_1.gif"};
        QTest::newRow("one name five times")
            << QByteArray("Cats|a.gif|a.gif|a.gif|a.gif|a.gif")
            << Bytes{Gif + "1", Gif + "2", Gif + "3", Gif + "4", Gif + "5"}
            << QStringList{"a.gif", "a_1.gif", "a_2.gif", "a_3.gif", "a_4.gif"};
        QTest::newRow("8-bit names") << QByteArray("F\xe9te|gar\xe7on.gif") << Bytes{Gif}
                                     << QStringList{QString::fromUtf8("garçon.gif")};
    }

    void installs() {
        QFETCH(QByteArray, header);
        QFETCH(Bytes, pieces);
        QFETCH(QStringList, files);

        const QString folder = PicturePack::Install(MakePack(header, pieces), books_);
        QVERIFY(!folder.isEmpty());
        const QString book = QString::fromLatin1(header.left(header.indexOf('|')));
        QCOMPARE(folder, books_ + "/" + book);
        QStringList listed = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QStringList expected = files;
        listed.sort();
        expected.sort();
        QCOMPARE(listed, expected);
        for (qsizetype k = 0; k < files.size(); ++k)
            QCOMPARE(ReadAll(folder + "/" + files[k]), pieces[k] + "\r\n");
    }

    void takenBookNamesGetANumber() {
        const QByteArray pack = MakePack("Farm|cow.gif", {Gif});
        QCOMPARE(PicturePack::Install(pack, books_), books_ + "/Farm");
        QCOMPARE(PicturePack::Install(pack, books_), books_ + "/Farm1");
        QCOMPARE(PicturePack::Install(pack, books_), books_ + "/Farm2");
        QCOMPARE(ReadAll(books_ + "/Farm2/cow.gif"), Gif + "\r\n");

        // A file of the book's name takes the name too, and so does another case.
        Touch(books_ + "/Zoo");
        QCOMPARE(PicturePack::Install(MakePack("Zoo|a.gif", {Gif}), books_), books_ + "/Zoo1");
        QCOMPARE(PicturePack::Install(MakePack("OLD|a.gif", {Gif}), books_), books_ + "/OLD1");
        QCOMPARE(ReadAll(books_ + "/Old/dog.gif"), Gif);
    }

    void takenFileNames_data() {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QStringList>("names");    // taken one after the other
        QTest::addColumn<QStringList>("expected"); // what each is written under

        QTest::newRow("free") << QStringList{"dog.gif"} << QStringList{"cat.gif"}
                              << QStringList{"cat.gif"};
        QTest::newRow("taken twice") << QStringList{"cat.gif", "cat_1.gif"}
                                     << QStringList{"cat.gif"} << QStringList{"cat_2.gif"};
        QTest::newRow("gaps are filled first")
            << QStringList{"cat.gif", "CAT_1.GIF", "cat_3.gif"}
            << QStringList{"cat.gif", "Cat.Gif", "cat.gif"}
            << QStringList{"cat_2.gif", "Cat_4.Gif", "cat_5.gif"};
        QTest::newRow("four characters")
            << QStringList{"abcd"} << QStringList{"abcd"} << QStringList{"_1.bcd"};
        QTest::newRow("too short to number")
            << QStringList{"abc"} << QStringList{"abc"} << QStringList{""};
    }

    void takenFileNames() {
        QFETCH(QStringList, existing);
        QFETCH(QStringList, names);
        QFETCH(QStringList, expected);
        const QString folder = books_ + "/Old";
        QFile::remove(folder + "/dog.gif");
        for (const QString& e : existing) Touch(folder + "/" + e);
        PicturePack::TakenNames taken(folder);
        QStringList got;
        for (const QString& n : names) got << taken.TakeFileName(n);
        QCOMPARE(got, expected);
    }

    // Start-up clears what an interrupted import or save left (and nothing else), then a
    // pack installs whole, under a free name, or not at all.
    void libraryAfterImport_data() {
        QTest::addColumn<QStringList>("leftovers"); // left by an interruption
        QTest::addColumn<QStringList>("kept");      // look alike, but not the program's
        QTest::addColumn<QByteArray>("pack");
        QTest::addColumn<QString>("book"); // the new book, or "" when the pack is refused

        const QStringList none;
        auto refused = [&](const char* tag, const QByteArray& pack) {
            QTest::newRow(tag) << none << none << pack << QString();
        };
        refused("empty file", QByteArray());
        refused("no separator", QByteArray("Farm|cow.gif ") + Gif);
        refused("separator in another case", QByteArray("Farm|cow.gif/X5X/") + Gif);
        refused("fewer names than pieces", MakePack("Farm|cow.gif", {Gif, Gif}));
        refused("empty header", MakePack("", {Gif}));
        refused("empty book name", MakePack("|cow.gif", {Gif}));
        refused("book .", MakePack(".|cow.gif", {Gif}));
        refused("book ..", MakePack("..|cow.gif", {Gif}));
        refused("book absolute", MakePack("/tmp|cow.gif", {Gif}));
        refused("book with /", MakePack("a/b|cow.gif", {Gif}));
        refused("book with \\", MakePack("a\\b|cow.gif", {Gif}));
        refused("hidden book", MakePack(".Farm|cow.gif", {Gif}));
        refused("file empty", MakePack("Farm|cow.gif|", {Gif, Gif}));
        refused("file .", MakePack("Farm|cow.gif|.", {Gif, Gif}));
        refused("file ..", MakePack("Farm|cow.gif|..", {Gif, Gif}));
        refused("file absolute", MakePack("Farm|cow.gif|/etc/x", {Gif, Gif}));
        refused("file a/b", MakePack("Farm|cow.gif|a/b", {Gif, Gif}));
        refused("file a\\b", MakePack("Farm|cow.gif|a\\b", {Gif, Gif}));
        refused("file up and out", MakePack("Farm|../../x.gif", {Gif}));
        refused("file with NUL", MakePack(QByteArray("Farm|cow\0.gif", 13), {Gif}));
        refused("hidden file", MakePack("Farm|cow.gif|.pig.gif", {Gif, Gif}));
        // These fail only after earlier pieces were written.
        refused("name the file system refuses",
                MakePack("Farm|cow.gif|" + QByteArray(300, 'p') + ".gif|hen.gif", {Gif, Gif, Gif}));
        refused("short name taken twice", MakePack("Farm|cow.gif|abc|abc", {Gif, Gif, Gif}));
        refused("empty last piece", MakePack("Farm|cow.gif|z.gif", {Gif, ""}));
        refused("piece that is not a picture", MakePack("Farm|cow.gif|pig.bmp", {Gif, "BM pig"}));
        refused("picture cut off in its header",
                MakePack("Farm|cow.gif|pig.bmp", {Gif, testing::BmpBytes(40, 30).left(20)}));
        refused("text under another name", MakePack("Farm|read.txt|cow.gif", {"hello", Gif}));

        QTest::newRow("own pictures is taken")
            << none << none << MakePack("own pictures|own.bmp", {Gif}) << "own pictures1";
        QTest::newRow("Own Pictures in capitals")
            << none << none << MakePack("Own Pictures|a.gif", {Gif}) << "Own Pictures1";
        QTest::newRow("staging folder of an interrupted import")
            << QStringList{"books/.tv-import-Ab3dE9/", "books/.tv-import-Ab3dE9/cow.gif"}
            << QStringList{"books/.tv-import-toolong/", "books/.hidden/", "books/tv-import-Ab3dE9/"}
            << MakePack("Farm|cow.gif", {Gif}) << "Farm";
        QTest::newRow("temporary files of interrupted saves")
            << QStringList{".Settings.txt.tv-save-x1Y2z3",
                           "books/own pictures/.own.bmp.tv-save-AAAAAA",
                           "colored pictures/Old/.dog.jpg.tv-save-abc123",
                           ".temp.bmp.tv-save-QQQQQQ"}
            << QStringList{"Settings.txt.backup", "Settings.txt.AbCdEf",
                           ".Settings.txt.tv-save-abc",
                           "colored pictures/Old/dog.jpg.tv-save-abc123",
                           "books/own pictures/own.bmp"}
            << QByteArray() << QString();
    }

    void libraryAfterImport() {
        QFETCH(QStringList, leftovers);
        QFETCH(QStringList, kept);
        QFETCH(QByteArray, pack);
        QFETCH(QString, book);

        Plant(root_.path(), kept);
        const QStringList before = Tree(root_.path());
        QVERIFY(before.contains("books/Old/dog.gif" + QString::fromLatin1(Gif.toHex())));
        Plant(root_.path(), leftovers);
        QCOMPARE(ClearLeftovers(root_.path()) > 0, !leftovers.isEmpty());
        QCOMPARE(Tree(root_.path()), before);

        QCOMPARE(PicturePack::Install(pack, books_),
                 book.isEmpty() ? QString() : books_ + "/" + book);
        QStringList after = Tree(root_.path());
        if (!book.isEmpty()) {
            // The new book is whole, and the scan lists it and no hidden folder.
            const QStringList added =
                QDir(books_ + "/" + book)
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            QVERIFY(!added.isEmpty());
            after.removeIf([&](const QString& e) { return e.startsWith("books/" + book + "/"); });
            QStringList listed;
            for (const BookFolder& b : ListLibrary(root_.path())) {
                listed << GetLastPathPart(b.Folder);
                for (const QString& p : b.Pictures)
                    QVERIFY(!vb::LoadPicture(b.Folder + "/" + p).isEmpty());
            }
            QVERIFY(listed.contains(book));
            for (const QString& l : listed) QVERIFY2(!l.startsWith('.'), qPrintable(l));
        }
        QCOMPARE(after, before);
    }

    // A save killed once its bytes are on disk, before it replaced the target. Named, its
    // temporary file is one start-up clears, where start-up looks; unnamed (the file system
    // allows it here), it leaves nothing anywhere, also in a folder start-up never clears
    // (a Save as elsewhere).
    void interruptedSavesAreCleared_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("unnamed");
        QTest::addColumn<bool>("cleared"); // start-up clears the target's folder
        for (const bool unnamed : {false, true}) {
            const char* way = unnamed ? "unnamed" : "named";
            QTest::addRow("settings, %s", way) << "Settings.txt" << unnamed << true;
            QTest::addRow("own page, %s", way) << "books/own pictures/own.bmp" << unnamed << true;
            QTest::addRow("coloured copy, %s", way)
                << "colored pictures/Old/dog.jpg" << unnamed << true;
            QTest::addRow("save as elsewhere, %s", way) << "Pictures/cat.jpg" << unnamed << false;
        }
    }

    void interruptedSavesAreCleared() {
        QFETCH(QString, target);
        QFETCH(bool, unnamed);
        QFETCH(bool, cleared);
        const QString path = root_.path() + "/" + target;
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        Touch(path, "old");
        const QStringList before = Tree(root_.path());
        vb::SaveFile::UseUnnamedTemporaries(unnamed);
        const pid_t child = ::fork();
        if (child == 0) {
            vb::SaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write("new, never committed") <= 0 ||
                ::fsync(file.handle()) != 0)
                ::_exit(1);
            ::raise(SIGKILL);
        }
        vb::SaveFile::UseUnnamedTemporaries(true);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QCOMPARE(Tree(root_.path()) != before, !unnamed); // a temporary file left
        QCOMPARE(ClearLeftovers(root_.path()), !unnamed && cleared ? 1 : 0);
        QCOMPARE(Tree(root_.path()) == before, unnamed || cleared);
    }

    // A piece counts only when it is whole and small enough to colour; a refused piece
    // after a good one leaves nothing of either.
    void piecesWholeAndSmallEnough_data() {
        QTest::addColumn<QByteArray>("piece");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QByteArray>("shownAs"); // a picture it must look like, if any

        const QByteArray gif = testing::GifBytes(60, 60), jpeg = testing::JpegBytes(60, 60);
        const QByteArray bmp = testing::BmpBytes(80, 60); // 14,400 pixel bytes
        QVERIFY(gif.size() > 3600 && bmp.size() == 54 + 14400);
        // 8 x 4: three red, end of line, a move to (2, 2), two green, end of bitmap.
        const QByteArray rle("\x03\x01\x00\x00" "\x00\x02\x02\x01" "\x02\x02" "\x00\x01", 12);
        auto row = [](const char* tag, const QByteArray& piece, Outcome outcome,
                      const QByteArray& shownAs = QByteArray()) {
            QTest::newRow(tag) << piece << outcome << shownAs;
        };
        row("GIF", gif, Outcome::Installed);
        row("GIF cut in half", gif.left(gif.size() / 2), Outcome::Damaged);
        row("GIF without its trailer", gif.chopped(1), Outcome::Installed, gif);
        row("GIF with an empty block before its trailer", gif.chopped(1) + '\0' + ';',
            Outcome::Installed, gif);
        row("GIF with an empty block and no trailer", gif.chopped(1) + '\0', Outcome::Installed,
            gif);
        row("JPEG", jpeg, Outcome::Installed);
        row("JPEG cut in half", jpeg.left(jpeg.size() / 2), Outcome::Damaged);
        row("JPEG without its end marker", jpeg.chopped(2), Outcome::Installed, jpeg);
        // Bytes between segments: libjpeg skips them and loses no pixel.
        row("JPEG with stray bytes before its end marker", jpeg.chopped(2) + "stray\xff\xd9",
            Outcome::Installed, jpeg);
        row("JPEG with zeros before its end marker",
            jpeg.chopped(2) + QByteArray(64, '\0') + "\xff\xd9", Outcome::Installed, jpeg);
        row("JPEG with CR LF after each segment", AfterSegments(jpeg, "\r\n", false),
            Outcome::Installed, jpeg);
        row("JPEG with stray bytes after its JFIF segment", AfterSegments(jpeg, "abc", true),
            Outcome::Installed, jpeg);
        QVERIFY(jpeg.mid(6, 5) == QByteArray("JFIF", 5) && jpeg[11] == 1);
        row("JPEG of JFIF revision 2.01", QByteArray(jpeg).replace(11, 2, "\x02\x01"),
            Outcome::Installed, jpeg);
        row("JPEG with a marker inside its data", OverScan(jpeg, "\xff\xd3"), Outcome::Damaged);
        row("JPEG with a bad Huffman code", OverScan(jpeg, QByteArray("\xff\x00", 2).repeated(4)),
            Outcome::Damaged);
        row("JPEG cut inside its data, then its end marker",
            jpeg.left(jpeg.size() / 2) + "\xff\xd9", Outcome::Damaged);
        row("BMP", bmp, Outcome::Installed);
        row("BMP with 100 of its pixel bytes", bmp.left(54 + 100), Outcome::Damaged);
        row("BMP one byte short", bmp.chopped(1), Outcome::Damaged);
        // 3 x 2 in 24 bits: rows of 9 pixel bytes and 3 of padding.
        const QByteArray padded = testing::BmpBytes(3, 2, Qt::red);
        row("BMP without its last row's padding", padded.chopped(3), Outcome::Installed, padded);
        row("BMP without its last pixel byte", padded.chopped(4), Outcome::Damaged);
        testing::BmpShape os2;
        os2.InfoSize = 12, os2.Bits = 8, os2.Width = 40, os2.Height = 30;
        os2.Colours = 16;
        os2.Pixels = QByteArray(testing::RowBytes(os2) * os2.Height, '\x05');
        const QByteArray shortPalette = testing::Bmp(os2);
        os2.Colours = 0;
        row("OS/2 BMP of 16 colours, its pixels right after them", shortPalette, Outcome::Installed,
            testing::Bmp(os2));
        row("OS/2 BMP of 16 colours, one byte short", shortPalette.chopped(1), Outcome::Damaged);
        row("RLE BMP", testing::RleBmp(8, 4, rle), Outcome::Installed);
        row("RLE BMP without end of bitmap", testing::RleBmp(8, 4, rle.chopped(2)),
            Outcome::Damaged);
        row("RLE BMP whose literal run passes the end",
            testing::RleBmp(8, 4, QByteArray("\x00\x05\x01\x02", 4)), Outcome::Damaged);
        row("4-bit RLE BMP", testing::RleBmp(4, 2, QByteArray("\x04\x12\x00\x00\x00\x01", 6), 4),
            Outcome::Installed);
        row("4096 wide", testing::JpegBytes(4096, 1), Outcome::Installed);
        row("4097 wide", testing::BmpBytes(4097, 1), Outcome::TooLarge);
        row("4097 high", testing::GifBytes(1, 4097), Outcome::TooLarge);
        row("4097 wide JPEG", testing::JpegBytes(4097, 2), Outcome::TooLarge);
        // Past the reader's own limit, which then tells no size at all.
        row("BMP claiming 40000 x 40000 in 200 bytes", BmpClaim(40000, 40000), Outcome::TooLarge);
        row("top-down BMP claiming 20000 x 20000", BmpClaim(20000, -20000), Outcome::TooLarge);
        row("RLE BMP claiming 40000 x 40000", testing::RleBmp(40000, 40000, rle),
            Outcome::TooLarge);
        // Decoded onto its screen of 5000 x 5000, although its image is 60 x 60.
        QByteArray onBigScreen = gif;
        onBigScreen.replace(6, 4, QByteArray("\x88\x13\x88\x13", 4));
        row("GIF image on a screen too large", onBigScreen, Outcome::TooLarge);
        // Below the least code size the format allows, where decoders disagree on when codes
        // widen: these 16 codes of 2 bits read as 4 x 4 pixels only to some.
        const GifShape four{{4, 4}, {0, 0, 4, 4}};
        testing::LzwWriter lzw(1);
        for (int i = 0; i < 16; ++i) lzw.Put(uint32_t(i % 2));
        row("GIF of code size 1",
            testing::GifHead(four).chopped(1) + char(1) + lzw.Blocks() + four.After,
            Outcome::Damaged);
    }

    void piecesWholeAndSmallEnough() {
        QFETCH(QByteArray, piece);
        QFETCH(Outcome, outcome);
        QFETCH(QByteArray, shownAs);
        checkPiece(piece, outcome, shownAs);
    }

    // A GIF is whole when its first image's data holds every one of its pixels, whatever
    // follows; the pixels its data never sets show white, the others as the file means.
    // Outside the first image, the screen shows what Qt's reader shows.
    void gifPixels_data() {
        QTest::addColumn<GifShape>("shape");
        QTest::addColumn<Outcome>("outcome");

        const GifShape full{{10, 6}, {0, 0, 10, 6}};
        auto row = [](const char* tag, GifShape s, Outcome outcome) {
            QTest::newRow(tag) << s << outcome;
        };
        auto holding = [](GifShape s, int64_t pixels) { return s.Pixels = pixels, s; };
        auto after = [](GifShape s, const QByteArray& bytes) { return s.After = bytes, s; };
        row("every pixel", full, Outcome::Installed);
        row("one pixel short", holding(full, 59), Outcome::Damaged);
        row("half", holding(full, 30), Outcome::Damaged);
        row("no pixel", holding(full, 0), Outcome::Damaged);
        row("more pixels than the image", holding(full, 75), Outcome::Installed);
        GifShape interlaced{{10, 12}, {0, 0, 10, 12}};
        interlaced.Interlaced = true;
        row("interlaced, every pixel", interlaced, Outcome::Installed);
        row("interlaced, five rows of twelve", holding(interlaced, 50), Outcome::Damaged);
        row("interlaced, cut inside its ninth row", holding(interlaced, 85), Outcome::Damaged);
        row("inside a larger screen, half", {{12, 8}, {3, 2, 6, 4}, false, 0, false, false, 12},
            Outcome::Damaged);
        row("past the screen's edge, half", {{10, 6}, {6, 2, 8, 6}, false, 0, false, false, 24},
            Outcome::Damaged);
        row("see-through, half", {{10, 6}, {0, 0, 10, 6}, true, 0, false, false, 30},
            Outcome::Damaged);
        // Past 4091 pixels the table is full and its codes stay 12 bits wide.
        GifShape noClear{{80, 60}, {0, 0, 80, 60}};
        noClear.Clears = false;
        row("no clear code, the table full", noClear, Outcome::Installed);
        row("no clear code, the table full, one pixel short", holding(noClear, 4799),
            Outcome::Damaged);
        row("without its trailer", after(full, QByteArray(1, '\0')), Outcome::Installed);
        row("cut right after its data", after(full, QByteArray()), Outcome::Installed);
        row("junk after its data", after(full, "junk"), Outcome::Installed);
        // The second image's data ends after a pixel, and nothing ends the file.
        const QByteArray second = testing::gif({{10, 6}, {0, 0, 2, 2}, false, 0, false, false, 1})
                                      .mid(testing::GifHead(full).size() - 11);
        row("a second image after it, short", after(full, '\0' + second.chopped(2)),
            Outcome::Installed);
    }

    void gifPixels() {
        QFETCH(GifShape, shape);
        QFETCH(Outcome, outcome);
        const QByteArray bytes = testing::gif(shape);
        checkPiece(bytes, outcome, QByteArray());

        const QString path = root_.filePath("piece.gif");
        Touch(path, bytes);
        const QImage shown = vb::LoadPicture(path).image();
        const QImage qt = QImage::fromData(bytes).convertToFormat(shown.format());
        QCOMPARE(shown.size(), qt.size());
        const QRect frame = shape.Frame;
        const QList<int> rows = testing::InterlacedRows(frame.height());
        const int64_t area = int64_t(frame.width()) * frame.height();
        const int64_t held = shape.Pixels < 0 ? area : std::min(shape.Pixels, area);
        const QRgb colours[4] = {0xFF000000, 0xFFFFFFFF, 0xFFC02020, 0xFF000000};
        int unset = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                QRgb expected = qt.pixel(x, y);
                if (frame.contains(x, y)) {
                    const int fx = x - frame.x(), fy = y - frame.y();
                    const int order = shape.Interlaced ? int(rows.indexOf(fy)) : fy;
                    const int colour = testing::GifPattern(fx, fy);
                    unset += int64_t(order) * frame.width() + fx >= held;
                    expected = int64_t(order) * frame.width() + fx >= held ? 0xFFFFFFFF
                               : shape.SeeThrough && colour == 3       ? 0
                                                                       : colours[colour];
                }
                QVERIFY2(shown.pixel(x, y) == expected,
                         qPrintable(QString("(%1, %2) is %3, not %4")
                                        .arg(x).arg(y).arg(shown.pixel(x, y), 8, 16)
                                        .arg(expected, 8, 16)));
            }
        }
        QCOMPARE(unset > 0, outcome == Outcome::Damaged);
        QCOMPARE(vb::LoadPicture(path).image(), shown);
    }

    // Counts past 2^31 and 2^32 pixels: an image of 65535 x 65535 holds 4,294,836,225,
    // and a few megabytes of runs hold that many and more.
    void gifPixelCountsPastThirtyTwoBits_data() {
        QTest::addColumn<int64_t>("pixels");
        QTest::addColumn<bool>("whole");
        const int64_t area = int64_t(65535) * 65535;
        QTest::newRow("every pixel") << area << true;
        QTest::newRow("one pixel short") << area - 1 << false;
        QTest::newRow("2^31 pixels") << (int64_t(1) << 31) << false;
        QTest::newRow("2^32 and 4100 more") << (int64_t(1) << 32) + 4100 << true;
    }

    void gifPixelCountsPastThirtyTwoBits() {
        QFETCH(int64_t, pixels);
        QFETCH(bool, whole);
        const QByteArray bytes = testing::RunGif({65535, 65535}, pixels);
        QVERIFY(bytes.size() > pixels / 4091 * 3 / 2); // runs, not a pixel a code
        QCOMPARE(IsWholePicture(bytes), whole);
        QCOMPARE(IsWholePicture(bytes.chopped(2)), whole); // nor the end of its blocks
    }

    // A JPEG of one sequential Huffman-coded scan may lack its end marker when every block
    // of the scan is in its data; a file of several scans, or an arithmetic-coded one, may
    // end between scans without a word from libjpeg, so it needs its end marker.
    void jpegEnds_data() {
        QTest::addColumn<QByteArray>("piece");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QByteArray>("shownAs");

        auto row = [](const char* tag, const QByteArray& piece, Outcome outcome,
                      const QByteArray& shownAs = QByteArray()) {
            QTest::newRow(tag) << piece << outcome << shownAs;
        };
        const QByteArray sos("\xda"), restart("\xd0\xd1\xd2\xd3\xd4\xd5\xd6\xd7");
        using testing::JpegWritten;
        const QByteArray baseline = JpegWritten(60, 44, JpegLayout::Baseline);
        row("baseline", baseline, Outcome::Installed, baseline);
        row("baseline without its end marker", baseline.chopped(2), Outcome::Installed, baseline);
        row("baseline without its end marker and last data byte", baseline.chopped(3),
            Outcome::Damaged);
        // Its 0xFF left, then the line end the pack puts after it.
        row("baseline cut inside its end marker", baseline.chopped(1), Outcome::Installed,
            baseline);
        row("baseline cut after its headers", baseline.left(Marker(baseline, sos, 1) + 14),
            Outcome::Damaged);
        const QByteArray restarts = JpegWritten(60, 44, JpegLayout::Restarts);
        QVERIFY(Marker(restarts, restart, -1) > 0);
        row("restart markers, without its end marker", restarts.chopped(2), Outcome::Installed,
            restarts);
        row("restart markers, cut after the last one",
            restarts.left(Marker(restarts, restart, -1) + 2), Outcome::Damaged);
        const QByteArray progressive = JpegWritten(60, 44, JpegLayout::Progressive);
        QVERIFY(Marker(progressive, sos, 5) > 0);
        row("progressive", progressive, Outcome::Installed, progressive);
        row("progressive without its end marker", progressive.chopped(2), Outcome::Damaged);
        row("progressive cut before its last scan",
            progressive.left(Marker(progressive, sos, -1)), Outcome::Damaged);
        row("progressive cut before its second scan",
            progressive.left(Marker(progressive, sos, 2)), Outcome::Damaged);
        // Far more scans than any encoder writes: each is a pass over the whole picture.
        const int limit = vb::MaxJpegScans;
        const QByteArray most = JpegWritten(60, 44, JpegLayout::Progressive, false, limit);
        QVERIFY(Marker(most, sos, limit) > 0 && Marker(most, sos, limit + 1) < 0);
        row("progressive of the most scans", most, Outcome::Installed, most);
        row("progressive of one scan more",
            JpegWritten(60, 44, JpegLayout::Progressive, false, limit + 1), Outcome::Damaged);
        const QByteArray perComponent = JpegWritten(60, 44, JpegLayout::ScanPerComponent);
        QVERIFY(Marker(perComponent, sos, 3) > 0 && Marker(perComponent, sos, 4) < 0);
        row("a sequential scan per colour", perComponent, Outcome::Installed, perComponent);
        row("a sequential scan per colour, without its end marker", perComponent.chopped(2),
            Outcome::Damaged);
        row("a sequential scan per colour, cut before its last scan",
            perComponent.left(Marker(perComponent, sos, -1)), Outcome::Damaged);
        const QByteArray arithmetic = JpegWritten(60, 44, JpegLayout::Arithmetic);
        row("arithmetic-coded", arithmetic, Outcome::Installed, arithmetic);
        row("arithmetic-coded, without its end marker", arithmetic.chopped(2), Outcome::Damaged);
    }

    void jpegEnds() {
        QFETCH(QByteArray, piece);
        QFETCH(Outcome, outcome);
        QFETCH(QByteArray, shownAs);
        checkPiece(piece, outcome, shownAs);
    }

    // Decoding a file of several scans holds all of it first: what it may take is bounded,
    // so a few bytes claiming a huge picture are refused without taking gigabytes, while
    // the largest picture the program shows still passes.
    void jpegDecodingMemoryIsBounded_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("whole");
        const QByteArray large = testing::JpegWritten(4096, 4096, JpegLayout::Progressive, false);
        QTest::newRow("progressive 4096 x 4096, colour at full resolution") << large << true;
        QByteArray claim = testing::JpegWritten(16, 16, JpegLayout::Progressive);
        const qsizetype sof = Marker(claim, "\xc2", 1);
        QVERIFY(sof > 0);
        claim.replace(sof + 5, 4, "\xfb\x01\x60\x49"); // 64,257 rows of 24,649
        QTest::newRow("progressive claiming 24649 x 64257 in a few hundred bytes")
            << claim << false;
    }

    void jpegDecodingMemoryIsBounded() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, whole);
        QCOMPARE(IsWholePicture(bytes), whole);
        rusage usage{};
        QVERIFY(getrusage(RUSAGE_SELF, &usage) == 0);
        QVERIFY2(usage.ru_maxrss < 1'000'000, qPrintable(QString::number(usage.ru_maxrss)));
    }

    // BMP pieces whose headers can mislead: pixel offsets inside or before the palette,
    // channels of any width, streams and claims past every limit. Each is installed when
    // whole, and shows what its file means (`shown`: a picture Qt's reader shows alike);
    // one that is refused is decoded the same way (`shown` with the pixels it lacks white).
    void bmpPiecesShowWhatTheyMean_data() {
        QTest::addColumn<QByteArray>("piece");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QImage>("shown"); // null: not looked at
        auto row = [](const char* tag, const QByteArray& piece, Outcome outcome,
                      const QImage& shown = QImage()) {
            QTest::newRow(tag) << piece << outcome << shown;
        };
        auto qt = [](const QByteArray& bmp) {
            return QImage::fromData(bmp, "BMP").convertToFormat(QImage::Format_RGB32);
        };
        auto at = [](QByteArray bmp, uint32_t offset) {
            return bmp.replace(10, 4, testing::Le(offset, 4));
        };
        // With the top row white: what a file without its last stored row shows.
        auto topWhite = [](QImage image) {
            for (int x = 0; x < image.width(); ++x) image.setPixel(x, 0, 0xFFFFFFFF);
            return image;
        };

        testing::BmpShape declared;
        declared.Bits = 8, declared.Width = 8, declared.Height = 6, declared.Colours = 252;
        for (int i = 0; i < 8 * 6; ++i) declared.Pixels += char(i * 5 % 252);
        const QByteArray bmp = testing::Bmp(declared); // pixels at 54 + 252 * 4
        row("252 colours, pixels said to start at the palette", at(bmp, 54), Outcome::Installed,
            qt(bmp));
        row("252 colours, pixels said to start inside the palette", at(bmp, 54 + 500),
            Outcome::Installed, qt(bmp));
        row("252 colours, pixels said to start inside the headers", at(bmp, 20), Outcome::Installed,
            qt(bmp));
        row("252 colours, pixels said to start at the palette, last row missing",
            at(bmp, 54).chopped(8), Outcome::Damaged, topWhite(qt(bmp)));
        QByteArray gap = bmp;
        gap.insert(54 + 252 * 4, "gap!");
        row("252 colours, pixels 4 bytes after them", at(gap, 54 + 252 * 4 + 4), Outcome::Installed,
            qt(bmp));
        testing::BmpShape four = declared;
        four.Bits = 4, four.Colours = 10, four.Pixels = QByteArray(4 * 6, '\x93');
        row("4-bit, 10 colours, pixels said to start at the palette", at(testing::Bmp(four), 54),
            Outcome::Installed, qt(testing::Bmp(four)));
        testing::BmpShape rle = declared;
        rle.Compression = 1, rle.Pixels = QByteArray("\x08\x07\x00\x01", 4);
        QImage rleShown = qt(testing::Bmp(rle));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 8; ++x) rleShown.setPixel(x, y, 0xFFFFFFFF);
        row("RLE, 252 colours, pixels said to start at the palette", at(testing::Bmp(rle), 54),
            Outcome::Installed, rleShown);
        // The palette's size only implied: fewer colours with the pixels right after them.
        for (const int info : {12, 40}) {
            testing::BmpShape implied = declared;
            implied.InfoSize = info, implied.Colours = 16, implied.SayColours = false;
            implied.Pixels = QByteArray(8 * 6, '\x05');
            const QByteArray few = testing::Bmp(implied);
            implied.Colours = 0;
            const QImage full = qt(testing::Bmp(implied));
            row(info == 12 ? "OS/2, 16 colours, pixels right after them"
                           : "no colour count, 16 colours, pixels right after them",
                few, Outcome::Installed, full);
            row(info == 12 ? "OS/2, 16 colours, last row missing"
                           : "no colour count, 16 colours, last row missing",
                few.chopped(8), Outcome::Damaged, topWhite(full));
        }

        // Channels of any width, in their real colours: white paper stays white.
        testing::BmpShape wide;
        wide.Bits = 16, wide.Width = 3, wide.Height = 2;
        wide.Pixels = QByteArray("\xff\x7f\xff\x7f\xff\x7f\0\0", 8).repeated(2);
        QImage white(3, 2, QImage::Format_RGB32);
        white.fill(0xFFFFFFFF);
        row("16-bit white page", testing::Bmp(wide), Outcome::Installed, white);
        wide.Bits = 32, wide.Compression = 3, wide.Masks = {0x3FF00000, 0xFFC00, 0x3FF, 0};
        wide.Pixels = QByteArray("\xff\xff\xff\x3f", 4).repeated(6);
        row("32-bit 10-10-10 white page", testing::Bmp(wide), Outcome::Installed, white);
        wide.Masks = {0xFFE00000, 0x1FFC00, 0x3FF, 0};
        wide.Pixels = QByteArray("\x00\xfc\x1f\x00", 4).repeated(6); // green only
        QImage green = white;
        green.fill(0xFF00FF00);
        row("32-bit 11-11-10 green page", testing::Bmp(wide), Outcome::Installed, green);
        row("32-bit 11-11-10 without its masks", testing::Bmp(wide).left(14 + 40 + 6),
            Outcome::Damaged);

        // A 1 x 1 picture whose runs go on for 2^31 pixels and more: about 17 MB.
        testing::BmpShape endless;
        endless.Bits = 8, endless.Compression = 1, endless.Width = 1, endless.Height = 1;
        endless.Pixels =
            QByteArray("\xff\x05", 2).repeated(2147483648 / 255 + 10) + QByteArray("\x00\x01", 2);
        testing::BmpShape dot = endless;
        dot.Pixels = QByteArray("\x01\x05\x00\x01", 4);
        row("1 x 1 RLE, runs of more than 2^31 pixels", testing::Bmp(endless), Outcome::Installed,
            qt(testing::Bmp(dot)));
        // Claims past every limit.
        row("BMP claiming 2,000,000,000 x 1", BmpClaim(2000000000, 1), Outcome::TooLarge);
        row("BMP claiming 1 x 2,147,483,647", BmpClaim(1, INT32_MAX), Outcome::TooLarge);
        row("top-down BMP claiming 1 x 2^31", BmpClaim(1, INT32_MIN), Outcome::TooLarge);
        row("BMP claiming 2^32 - 1 colours", QByteArray(bmp).replace(46, 4, "\xff\xff\xff\xff"),
            Outcome::Damaged);
        // Cut before its pixels: none of them is in the file.
        QImage blank(8, 6, QImage::Format_RGB32);
        blank.fill(0xFFFFFFFF);
        row("BMP whose pixels are said to start 4 GB in", at(bmp, 0xFFFFFFFF), Outcome::Damaged,
            blank);
        row("BMP whose pixels are said to start one byte past its end",
            at(bmp, uint32_t(bmp.size() + 1)), Outcome::Damaged, blank);
    }

    void bmpPiecesShowWhatTheyMean() {
        QFETCH(QByteArray, piece);
        QFETCH(Outcome, outcome);
        QFETCH(QImage, shown);
        const QStringList before = Tree(root_.path());
        const PicturePack::Result result =
            PicturePack::InstallBook(MakePack("Farm|cow.gif|piece.bmp", {Gif, piece}), books_);
        QCOMPARE(result.Kind, outcome);
        QCOMPARE(QDir(books_).entryList({".tv-import-*"}, QDir::AllEntries | QDir::Hidden),
                 QStringList());
        if (outcome != Outcome::Installed) QCOMPARE(Tree(root_.path()), before);
        if (shown.isNull()) return;
        QTemporaryDir dir;
        QString path = result.Folder + "/piece.bmp";
        if (outcome != Outcome::Installed) {
            path = dir.filePath("piece.bmp");
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(piece) == piece.size());
        }
        QCOMPARE(vb::LoadPicture(path).image(), shown);
    }

    // Tests run as root, so folder permissions cannot make a write fail: a file size limit
    // stands in for a full disk, and a file where the books folder should be for a folder
    // that takes nothing.
    void writeFailures_data() {
        QTest::addColumn<bool>("fullDisk");
        QTest::addColumn<WriteFailure>("cause");
        QTest::newRow("disk full") << true << WriteFailure::DiskFull;
        QTest::newRow("books folder is a file") << false << WriteFailure::FolderNotWritable;
    }

    void writeFailures() {
        QFETCH(bool, fullDisk);
        QFETCH(WriteFailure, cause);
        if (!fullDisk) {
            QVERIFY(QDir(books_).removeRecursively());
            Touch(books_);
        }
        const QByteArray pack =
            MakePack("Farm|cow.gif|big.bmp", {Gif, testing::BmpBytes(80, 60)}); // 14,454 bytes
        const QStringList before = Tree(root_.path());
        PicturePack::Result result;
        {
            testing::FileSizeLimit limit(fullDisk ? 4096 : RLIM_INFINITY);
            result = PicturePack::InstallBook(pack, books_);
        }
        QCOMPARE(result.Kind, Outcome::CannotWrite);
        QCOMPARE(result.Cause, cause);
        QCOMPARE(Tree(root_.path()), before);
        // The same pack goes in once the disk has room.
        if (fullDisk) QCOMPARE(PicturePack::InstallBook(pack, books_).Kind, Outcome::Installed);
    }

    // One rule for both: a pack installs a file only under a name the library lists, so
    // every picture it adds is shown; any other name refuses the pack and writes nothing.
    void packHoldsOnlyWhatTheLibraryLists_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Outcome>("refusal"); // when the library would not list it
        auto row = [](const char* name, Outcome refusal = Outcome::Unlisted) {
            QTest::newRow(name) << QString::fromLatin1(name) << refusal;
        };
        row("cow.gif");
        row("COW.GIF");
        row("cow.Jpg");
        row("cow.bmp");
        row("a cow, a pig & a hen.gif");
        row("cow.png");
        row("cow.jpeg");
        row("cow.gif ");
        row("cow.gif.txt");
        row("cow");
        row("cowgif");
        row(".cow.gif");
        row(".png");
        row(".snail.bmp");
    }
    void packHoldsOnlyWhatTheLibraryLists() {
        QFETCH(QString, name);
        QFETCH(Outcome, refusal);
        const QString scratch = root_.path() + "/scratch";
        QVERIFY(QDir().mkpath(scratch));
        Touch(scratch + "/" + name, Gif);
        const bool listed = ListPictures(scratch).contains(name);
        QVERIFY(QDir(scratch).removeRecursively());

        const QStringList before = Tree(root_.path());
        const PicturePack::Result result =
            PicturePack::InstallBook(MakePack("Farm|" + name.toLatin1(), {Gif}), books_);
        if (listed) {
            QCOMPARE(result.Kind, Outcome::Installed);
            QCOMPARE(ListPictures(result.Folder), QStringList{name});
        } else {
            QCOMPARE(result.Kind, refusal);
            QCOMPARE(Tree(root_.path()), before);
        }
    }

    // Pictures of one pack are told apart by their coloured copies too: two that would
    // share one refuse the pack, whatever the case, also once numbered; ".." and "." stay
    // the pack's damage.
    void picturesOfOnePackStayApart_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("a.gif and a.bmp") << QByteArray("Farm|a.gif|a.bmp") << Outcome::Twins;
        QTest::newRow("cat.gif and cat.jpg") << QByteArray("Farm|cat.gif|cat.jpg") << Outcome::Twins;
        QTest::newRow("a.gif and A.BMP") << QByteArray("Farm|a.gif|A.BMP") << Outcome::Twins;
        QTest::newRow("a.gif twice, then a_1.bmp")
            << QByteArray("Farm|a.gif|a.gif|a_1.bmp") << Outcome::Twins;
        QTest::newRow("a.gif twice") << QByteArray("Farm|a.gif|a.gif") << Outcome::Installed;
        QTest::newRow("a.gif and a.bmp.gif")
            << QByteArray("Farm|a.gif|a.bmp.gif") << Outcome::Installed;
        QTest::newRow("file ..") << QByteArray("Farm|a.gif|..") << Outcome::Damaged;
        QTest::newRow("file .") << QByteArray("Farm|a.gif|.") << Outcome::Damaged;
    }
    void picturesOfOnePackStayApart() {
        QFETCH(QByteArray, header);
        QFETCH(Outcome, outcome);
        const QStringList before = Tree(root_.path());
        const PicturePack::Result result =
            PicturePack::InstallBook(MakePack(header, Bytes(header.count('|'), Gif)), books_);
        QCOMPARE(result.Kind, outcome);
        if (outcome != Outcome::Installed) QCOMPARE(Tree(root_.path()), before);
    }

    // Names a file system cannot hold once a number is added (255 bytes, in its encoding)
    // are the pack's fault, found before anything is written; names up to that fit.
    void nameLengths_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<int>("pieces");
        QTest::addColumn<Outcome>("outcome");
        const QByteArray e9(1, char(0xE9)); // "é": two bytes on disk
        const auto gifName = [](qsizetype bytes) { return QByteArray(bytes - 4, 'p') + ".gif"; };
        auto row = [](const char* tag, const QByteArray& header, int pieces, Outcome outcome) {
            QTest::newRow(tag) << header << pieces << outcome;
        };
        row("book of 300 characters", QByteArray(300, 'B') + "|cow.gif", 1, Outcome::Damaged);
        row("book of 235 bytes", QByteArray(235, 'B') + "|cow.gif", 1, Outcome::Installed);
        row("book of 236 bytes", QByteArray(236, 'B') + "|cow.gif", 1, Outcome::Damaged);
        row("book of 118 8-bit characters, 236 bytes on disk", e9.repeated(118) + "|cow.gif", 1,
            Outcome::Damaged);
        row("book of 64 KB", QByteArray(65536, 'B') + "|cow.gif", 1, Outcome::Damaged);
        row("file of 235 bytes, twice", "Farm|" + gifName(235) + "|" + gifName(235), 2,
            Outcome::Installed);
        row("file of 236 bytes", "Farm|cow.gif|" + gifName(236), 2, Outcome::Damaged);
        row("file of 300 characters", "Farm|" + gifName(300), 1, Outcome::Damaged);
        row("file of 1 MB", "Farm|" + gifName(1 << 20), 1, Outcome::Damaged);
        row("8-bit file, 236 bytes on disk", "Farm|" + e9.repeated(116) + ".gif", 1,
            Outcome::Damaged);
    }
    void nameLengths() {
        QFETCH(QByteArray, header);
        QFETCH(int, pieces);
        QFETCH(Outcome, outcome);
        const QStringList before = Tree(root_.path());
        const PicturePack::Result result =
            PicturePack::InstallBook(MakePack(header, Bytes(pieces, Gif)), books_);
        QCOMPARE(result.Kind, outcome);
        if (outcome == Outcome::Installed) {
            // The book takes a number too, and the names still fit.
            QVERIFY(!PicturePack::Install(MakePack(header, Bytes(pieces, Gif)), books_).isEmpty());
            QCOMPARE(ListPictures(result.Folder).size(), pieces);
        } else {
            QCOMPARE(Tree(root_.path()), before);
        }
    }

    // Counts and sizes far beyond a real pack's: each is met with a bounded amount of work and
    // memory (the bytes are held once, names are split only as far as there are pieces).
    void hugeCountsAndSizes_data() {
        QTest::addColumn<QByteArray>("pack");
        QTest::addColumn<QStringList>("plantedBooks");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("lastFile"); // when installed: the last name written
        QTest::addColumn<QString>("book");

        const QStringList none;
        QTest::newRow("header of 30 million bars before one piece")
            << MakePack("Farm|cow.gif" + QByteArray(30'000'000, '|'), {Gif}) << none
            << Outcome::Installed << "cow.gif"
            << "Farm";
        QTest::newRow("3 million pieces, one name")
            << QByteArray("Farm|cow.gif") + QByteArray("/x5x/").repeated(3'000'000) << none
            << Outcome::Damaged << QString() << QString();
        QTest::newRow("a million named empty pieces")
            << QByteArray("Farm") + QByteArray("|a.gif").repeated(1'000'000) +
                   QByteArray("/x5x/").repeated(1'000'000)
            << none << Outcome::Damaged << QString() << QString();
        QByteArray copies = "Cats";
        for (int k = 0; k < 3000; ++k) copies += "|cat.gif";
        QTest::newRow("one name 3000 times")
            << MakePack(copies, Bytes(3000, Gif)) << none << Outcome::Installed << "cat_2999.gif"
            << "Cats";
        QStringList farms{"Farm/"};
        for (int n = 1; n < 2000; ++n) farms << QString("Farm%1/").arg(n);
        QTest::newRow("book name taken 2000 times")
            << MakePack("Farm|cow.gif", {Gif}) << farms << Outcome::Installed << "cow.gif"
            << "Farm2000";
        QTest::newRow("a 64 MB piece that is no picture")
            << MakePack("Farm|cow.gif|big.bmp", {Gif, "BM" + QByteArray(64 << 20, 'x')}) << none
            << Outcome::Damaged << QString() << QString();
    }
    void hugeCountsAndSizes() {
        QFETCH(QByteArray, pack);
        QFETCH(QStringList, plantedBooks);
        QFETCH(Outcome, outcome);
        QFETCH(QString, lastFile);
        QFETCH(QString, book);
        Plant(books_, plantedBooks);
        const QStringList before = Tree(root_.path());
        PicturePack::Result result;
        {
            // Room for the pack itself a few times over, not for an object per "|".
            testing::AddressSpaceLimit limit(qint64(pack.size()) * 3 + (512 << 20));
            result = PicturePack::InstallBook(pack, books_);
        }
        QCOMPARE(result.Kind, outcome);
        if (outcome == Outcome::Installed) {
            QCOMPARE(result.Folder, books_ + "/" + book);
            QVERIFY(QFile::exists(result.Folder + "/" + lastFile));
        } else {
            QCOMPARE(Tree(root_.path()), before);
        }
    }

    void aMissingBooksFolderIsNotCreated() {
        QVERIFY(QDir(books_).removeRecursively());
        QCOMPARE(PicturePack::Install(MakePack("Farm|cow.gif", {Gif}), books_), QString());
        QCOMPARE(Tree(root_.path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestPicturePack)
#include "tst_picturepack.moc"
