// The picture library without its window: book and picture order, the file patterns and
// the own-pictures folder, the loading texts, the sheet layout and the thumbnail workers.

#include "AppPath.h"
#include "BmpSupport.h"
#include "GifSupport.h"
#include "LibraryScan.h"
#include "TestSupport.h"

#include <QDir>
#include <QImage>
#include <QtTest>

Q_DECLARE_METATYPE(testing::BmpShape)
Q_DECLARE_METATYPE(testing::GifShape)

class TestLibraryScan : public QObject {
    Q_OBJECT
private slots:
    void properCase_data() {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("capitals") << "FARM ANIMALS"
                                  << "Farm Animals";
        QTest::newRow("apostrophe") << "o'reilly"
                                    << "O'Reilly";
        QTest::newRow("digit") << "3d shapes"
                               << "3D Shapes";
        QTest::newRow("letter outside a to z")
            << QString::fromUtf8("ÉLAN") << QString::fromUtf8("éLan");
    }
    void properCase() {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(ProperCase(in), out);
    }

    void progressText_data() {
        QTest::addColumn<int>("i");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("first of three") << 0 << 3 << "Loading(33%)... Farm Animals.";
        QTest::newRow("second of three") << 1 << 3 << "Loading(66%)... Farm Animals.";
        QTest::newRow("last of three") << 2 << 3 << "Loading(100%)... Farm Animals.";
    }
    void progressText() {
        QFETCH(int, i);
        QFETCH(int, count);
        QFETCH(QString, text);
        QCOMPARE(ProgressText(i, count, ProperCase(GetLastPathPart("/p/books/farm animals"))),
                 text);
    }

    void libraryOrderAndPatterns() {
        testing::ProgramFolder folder;
        const QString books = folder.file("books/");
        for (const char* name :
             {"b Book/Zebra.gif", "b Book/apple.GIF", "b Book/Banana.bmp", "b Book/cherry.Jpg",
              "b Book/date.jpeg", "b Book/fig.png", "b Book/inner/kiwi.gif", "A book/one.bmp",
              "own pictures/own.bmp", "Own Pictures/mine.bmp", "empty/", "b Book/dir.gif/",
              "b Book/.hidden.gif", "b Book/space.gif ", "b Book/gif", "A book/.gif"}) {
            QDir().mkpath(QFileInfo(books + name).path());
            if (!QString(name).endsWith('/')) QFile(books + name).open(QIODevice::WriteOnly);
        }
        QStringList got;
        for (const BookFolder& b : ListLibrary(vb::AppPath()))
            got << b.Folder.mid(books.size()) + (b.Own ? " (own)" : "") + ": " +
                       b.Pictures.join(',');
        QCOMPARE(got, QStringList({"A book: one.bmp",
                                   "b Book: apple.GIF,Banana.bmp,cherry.Jpg,Zebra.gif",
                                   "empty: ", "Own Pictures: mine.bmp", "own pictures (own): "}));
    }

    void sheetPlan_data() {
        QTest::addColumn<QList<int>>("books");
        QTest::addColumn<int>("W");
        QTest::addColumn<QString>("expect"); // boxes, books split by "/"
        QTest::addColumn<int>("height");     // from a start of 50
        QTest::newRow("seven on 634: five and two")
            << QList<int>{7} << 634 << "6,1 111,1 216,1 321,1 426,1 6,106 111,106" << 211;
        QTest::newRow("next book 140 below, an empty one takes no room")
            << QList<int>{2, 0, 1} << 634 << "6,1 111,1//6,141" << 246;
        QTest::newRow("216 fits a second column")
            << QList<int>{3} << 216 << "6,1 111,1 6,106" << 211;
        QTest::newRow("215 does not") << QList<int>{2} << 215 << "6,1 6,106" << 211;
        QTest::newRow("nothing placed keeps the height") << QList<int>{0} << 634 << "" << 50;
    }
    void sheetPlan() {
        QFETCH(QList<int>, books);
        QFETCH(int, W);
        QFETCH(QString, expect);
        QFETCH(int, height);
        const SheetPlan plan = PlanSheet(std::vector<int32_t>(books.begin(), books.end()), W, 50);
        QStringList got;
        for (const auto& book : plan.Books) {
            QStringList boxes;
            for (const auto& b : book) boxes << QStringLiteral("%1,%2").arg(b.Left).arg(b.Top);
            got << boxes.join(' ');
        }
        QCOMPARE(got.join('/'), expect);
        QCOMPARE(plan.Height, height);
    }
    // A big picture first, whose small followers may well be made sooner: all come out in
    // the jobs' order; a damaged one fails alone; the waiting thread stays free meanwhile.
    // With a budget too small for any picture each is loaded alone, and still all come.
    void workersHandOutInOrder_data() {
        QTest::addColumn<qint64>("budget");
        QTest::newRow("the scan's budget") << ScanLoadingBudget;
        QTest::newRow("each picture alone") << qint64(1);
        QTest::newRow("the big one alone") << qint64(2000 * 1000 * 8 - 1);
    }
    void workersHandOutInOrder() {
        QFETCH(qint64, budget);
        testing::ProgramFolder folder;
        QDir().mkpath(folder.file("books/a"));
        std::vector<ThumbnailJob> jobs;
        for (int i = 0; i < 9; ++i) {
            const QString name = QStringLiteral("%1.bmp").arg(i);
            QImage img(i == 0 ? 2000 : 50, i == 0 ? 1000 : 50, QImage::Format_RGB32);
            img.fill(qRgb(20 * i, 0, 0));
            if (i == 5)
                QFile(folder.file("books/a/" + name)).open(QIODevice::WriteOnly);
            else
                QVERIFY(img.save(folder.file("books/a/" + name)));
            jobs.push_back({folder.file("books/a"), name, QPoint(6 + 105 * i, 1)});
        }
        ThumbnailMaker maker(jobs, 0xC0C0C0, budget);
        int idle = 0;
        const auto countIdle = [&] { ++idle; };
        for (int i = 0; i < 9; ++i) {
            // Past the idle interval since the last take, the next take must run it, however
            // far the workers have got (whether it also runs while waiting is up to them).
            const int idleBefore = idle;
            if (i == 4) QThread::msleep(5);
            Thumbnail t;
            QCOMPARE(maker.Take(size_t(i), t, countIdle, 1), i != 5);
            if (i == 4) QVERIFY(idle > idleBefore);
            if (i == 5) continue;
            const int bar = i == 0 ? 50 : 100; // 2000 x 1000 fits as 100 x 50
            QCOMPARE(t.Pixels.size(), QSize(100, bar));
            QCOMPARE(t.At, QPoint(6 + 105 * i, 1 + (100 - bar) / 2));
            QCOMPARE(t.Pixels.pixel(50, bar / 2), qRgb(20 * i, 0, 0));
        }
    }

    // A BMP cut short in a book gets its thumbnail like any other, the half it lacks white.
    void cutShortBmpsAreShown_data() {
        QTest::addColumn<testing::BmpShape>("shape");
        testing::BmpShape s;
        s.Width = 100, s.Height = 100;
        for (const int bits : {24, 4}) {
            for (const bool topDown : {false, true}) {
                s.Bits = bits, s.TopDown = topDown;
                s.Pixels = QByteArray(testing::RowBytes(s) * s.Height, '\x11');
                QTest::addRow("%s %d-bit", topDown ? "top-down" : "bottom-up", bits) << s;
            }
        }
        s.InfoSize = 12, s.Bits = 8, s.Colours = 16, s.TopDown = false;
        s.Pixels = QByteArray(testing::RowBytes(s) * s.Height, '\x03');
        QTest::newRow("OS/2 8-bit of 16 colours") << s;
    }
    void cutShortBmpsAreShown() {
        QFETCH(testing::BmpShape, shape);
        testing::ProgramFolder folder;
        QVERIFY(QDir().mkpath(folder.file("books/a")));
        QFile file(folder.file("books/a/cut.bmp"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray bytes = testing::Bmp(shape);
        file.write(bytes.left(bytes.size() - shape.Pixels.size() / 2));
        file.close();
        ThumbnailMaker maker({{folder.file("books/a"), "cut.bmp", QPoint(6, 1)}}, 0xC0C0C0);
        Thumbnail t;
        QVERIFY(maker.Take(0, t, {}));
        QCOMPARE(t.Pixels.size(), QSize(100, 100));
        const int held = shape.TopDown ? 25 : 75, lacked = 100 - held;
        QCOMPARE(t.Pixels.pixel(50, lacked), qRgb(255, 255, 255));
        QVERIFY(t.Pixels.pixel(50, held) != qRgb(255, 255, 255));
    }

    // A GIF whose data holds half its pixels gets its thumbnail too, the half it lacks
    // white: not black, not copies of the rows above, not the stage's colour.
    void cutShortGifsAreShown_data() {
        QTest::addColumn<testing::GifShape>("shape");
        QTest::addColumn<QPoint>("held");
        QTest::addColumn<QRgb>("heldColour");
        QTest::addColumn<QPoint>("lacked");
        testing::GifShape s{{100, 100}, {0, 0, 100, 100}};
        s.Pixels = 5000;
        QTest::newRow("rows in order") << s << QPoint(50, 25) << qRgb(0, 0, 0) << QPoint(50, 75);
        // Half the rows of an interlaced image are the even ones.
        s.Interlaced = true;
        QTest::newRow("interlaced") << s << QPoint(50, 24) << qRgb(0xC0, 0x20, 0x20)
                                    << QPoint(50, 25);
        s.Interlaced = false, s.SeeThrough = true;
        QTest::newRow("see-through") << s << QPoint(50, 25) << qRgb(0xC0, 0xC0, 0xC0)
                                     << QPoint(50, 75);
    }
    void cutShortGifsAreShown() {
        QFETCH(testing::GifShape, shape);
        QFETCH(QPoint, held);
        QFETCH(QRgb, heldColour);
        QFETCH(QPoint, lacked);
        testing::ProgramFolder folder;
        QVERIFY(QDir().mkpath(folder.file("books/a")));
        QFile file(folder.file("books/a/cut.gif"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(testing::gif(shape));
        file.close();
        ThumbnailMaker maker({{folder.file("books/a"), "cut.gif", QPoint(6, 1)}}, 0xC0C0C0);
        Thumbnail t;
        QVERIFY(maker.Take(0, t, {}));
        QCOMPARE(t.Pixels.size(), QSize(100, 100));
        QCOMPARE(t.Pixels.pixel(held), heldColour);
        QCOMPARE(t.Pixels.pixel(lacked), qRgb(255, 255, 255));
    }
};

QTEST_GUILESS_MAIN(TestLibraryScan)
#include "tst_libraryscan.moc"
