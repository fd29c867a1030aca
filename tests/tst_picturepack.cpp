// The picture-pack format and its installation: what a pack installs, the free folder
// and file names, and packs that must leave the disk as it was.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "PicturePack.h"

using Bytes = QList<QByteArray>;

namespace {

// A pack as the maker's tool writes one: header, then each piece after "/x5x/".
QByteArray MakePack(const QByteArray& header, const Bytes& pieces) {
    QByteArray pack = header;
    for (const QByteArray& piece : pieces) pack += "/x5x/" + piece;
    return pack;
}

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

} // namespace

class TestPicturePack : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    QString books_;

private slots:
    void init() {
        QVERIFY(root_.isValid());
        QDir(root_.path()).removeRecursively();
        QVERIFY(QDir().mkpath(root_.path() + "/books/Old"));
        books_ = root_.path() + "/books";
        Touch(books_ + "/Old/dog.gif");
    }

    void installs_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<Bytes>("pieces");
        QTest::addColumn<QStringList>("files"); // written names, piece by piece

        QTest::newRow("two pictures")
            << QByteArray("Farm|cow.gif|pig.bmp") << Bytes{"GIF89a-cow", "BM-pig"}
            << QStringList{"cow.gif", "pig.bmp"};
        QTest::newRow("names beyond the pieces ignored")
            << QByteArray("Farm|cow.gif|pig.bmp|hen.gif") << Bytes{"cow"} << QStringList{"cow.gif"};
        QTest::newRow("every byte value, a bar and half a separator survive")
            << QByteArray("Bytes|all.bmp|tail.jpg")
            << Bytes{AllByteValues() + "|/x5x" + AllByteValues(), QByteArray("\r\n\0\xff/x5", 7)}
            << QStringList{"all.bmp", "tail.jpg"};
        QTest::newRow("empty last piece")
            << QByteArray("Farm|cow.gif|empty.gif") << Bytes{"cow", ""}
            << QStringList{"cow.gif", "empty.gif"};
        QTest::newRow("same name twice, any case")
            << QByteArray("Cats|cat.gif|CAT.GIF|cat_1.gif") << Bytes{"a", "b", "c"}
            << QStringList{"cat.gif", "CAT_1.GIF", "cat_1_1.gif"};
        QTest::newRow("8-bit names") << QByteArray("F\xe9te|gar\xe7on.gif") << Bytes{"g"}
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
        const QByteArray pack = MakePack("Farm|cow.gif", {"moo"});
        QCOMPARE(PicturePack::Install(pack, books_), books_ + "/Farm");
        QCOMPARE(PicturePack::Install(pack, books_), books_ + "/Farm1");
        QCOMPARE(PicturePack::Install(pack, books_), books_ + "/Farm2");
        QCOMPARE(ReadAll(books_ + "/Farm2/cow.gif"), QByteArray("moo\r\n"));

        // A file of the book's name takes the name too, and so does another case.
        Touch(books_ + "/Zoo");
        QCOMPARE(PicturePack::Install(MakePack("Zoo|a.gif", {"1"}), books_), books_ + "/Zoo1");
        QCOMPARE(PicturePack::Install(MakePack("OLD|a.gif", {"1"}), books_), books_ + "/OLD1");
        QCOMPARE(ReadAll(books_ + "/Old/dog.gif"), QByteArray("x"));
    }

    void freeFileName_data() {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");

        QTest::newRow("free") << QStringList{"dog.gif"} << "cat.gif"
                              << "cat.gif";
        QTest::newRow("taken twice") << QStringList{"cat.gif", "cat_1.gif"} << "cat.gif"
                                     << "cat_2.gif";
        QTest::newRow("four characters") << QStringList{"abcd"} << "abcd"
                                         << "_1.bcd";
        QTest::newRow("too short to number") << QStringList{"abc"} << "abc"
                                             << "";
    }

    void freeFileName() {
        QFETCH(QStringList, existing);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QString folder = books_ + "/Old";
        QFile::remove(folder + "/dog.gif");
        for (const QString& e : existing) Touch(folder + "/" + e);
        QCOMPARE(PicturePack::FreeFileName(folder, name), expected);
    }

    void refusedPacksLeaveEverythingAsItWas_data() {
        QTest::addColumn<QByteArray>("pack");

        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("no separator") << QByteArray("Farm|cow.gif GIF89a");
        QTest::newRow("separator in another case") << QByteArray("Farm|cow.gif/X5X/GIF89a");
        QTest::newRow("fewer names than pieces") << MakePack("Farm|cow.gif", {"cow", "pig"});
        QTest::newRow("empty header") << MakePack("", {"cow"});
        QTest::newRow("empty book name") << MakePack("|cow.gif", {"cow"});
        QTest::newRow("book .") << MakePack(".|cow.gif", {"cow"});
        QTest::newRow("book ..") << MakePack("..|cow.gif", {"cow"});
        QTest::newRow("book absolute") << MakePack("/tmp|cow.gif", {"cow"});
        QTest::newRow("book with /") << MakePack("a/b|cow.gif", {"cow"});
        QTest::newRow("book with \\") << MakePack("a\\b|cow.gif", {"cow"});
        QTest::newRow("file empty") << MakePack("Farm|cow.gif|", {"cow", "pig"});
        QTest::newRow("file .") << MakePack("Farm|cow.gif|.", {"cow", "pig"});
        QTest::newRow("file ..") << MakePack("Farm|cow.gif|..", {"cow", "pig"});
        QTest::newRow("file absolute") << MakePack("Farm|cow.gif|/etc/x", {"cow", "pig"});
        QTest::newRow("file a/b") << MakePack("Farm|cow.gif|a/b", {"cow", "pig"});
        QTest::newRow("file a\\b") << MakePack("Farm|cow.gif|a\\b", {"cow", "pig"});
        QTest::newRow("file up and out") << MakePack("Farm|../../x.gif", {"cow"});
        QTest::newRow("file with NUL") << MakePack(QByteArray("Farm|cow\0.gif", 13), {"cow"});
        // These fail only while writing, after earlier files were written.
        QTest::newRow("name the file system refuses") << MakePack(
            "Farm|cow.gif|" + QByteArray(300, 'p') + ".gif|hen.gif", {"cow", "pig", "hen"});
        QTest::newRow("short name taken twice")
            << MakePack("Farm|cow.gif|abc|abc", {"cow", "a", "b"});
    }

    void refusedPacksLeaveEverythingAsItWas() {
        QFETCH(QByteArray, pack);
        const QStringList before = Tree(root_.path());
        QCOMPARE(before.size(), 3); // books/, books/Old/, books/Old/dog.gif
        QCOMPARE(PicturePack::Install(pack, books_), QString());
        QCOMPARE(Tree(root_.path()), before);
    }

    void aMissingBooksFolderIsNotCreated() {
        QVERIFY(QDir(books_).removeRecursively());
        QCOMPARE(PicturePack::Install(MakePack("Farm|cow.gif", {"cow"}), books_), QString());
        QCOMPARE(Tree(root_.path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestPicturePack)
#include "tst_picturepack.moc"
