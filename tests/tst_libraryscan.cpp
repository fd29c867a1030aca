// The picture library without its window: book and picture order, the file patterns,
// the own-pictures folder, coloured copies in place of blank pictures, the loading texts
// and where the thumbnails stand on the sheet.

#include "AppPath.h"
#include "LibraryScan.h"
#include "SheetScroll.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

// "x,y|x,y" for one book's boxes.
QString boxes(const std::vector<SheetPlan::Box>& book) {
    QStringList out;
    for (const auto& b : book) out << QStringLiteral("%1,%2").arg(b.Left).arg(b.Top);
    return out.join('|');
}

} // namespace

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
        QTest::newRow("hyphen") << "abc-xyz"
                                << "Abc-Xyz";
        QTest::newRow("one word") << "bigbook"
                                  << "Bigbook";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("letter outside a to z sets the flag")
            << QString::fromUtf8("ÉLAN vital") << QString::fromUtf8("éLan Vital");
    }
    void properCase() {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(ProperCase(in), out);
    }

    void lastPathPart_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("part");
        QTest::newRow("book folder") << "/x/books/Farm"
                                     << "Farm";
        QTest::newRow("no separator") << "Farm"
                                      << "Farm";
        QTest::newRow("trailing separator") << "/x/"
                                            << "";
    }
    void lastPathPart() {
        QFETCH(QString, path);
        QFETCH(QString, part);
        QCOMPARE(GetLastPathPart(path), part);
    }

    void progressText_data() {
        QTest::addColumn<int>("i");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("first of three") << 0 << 3 << "Loading(33%)... Farm Animals.";
        QTest::newRow("second of three") << 1 << 3 << "Loading(66%)... Farm Animals.";
        QTest::newRow("last of three") << 2 << 3 << "Loading(100%)... Farm Animals.";
        QTest::newRow("only one") << 0 << 1 << "Loading(100%)... Farm Animals.";
        QTest::newRow("first of seven") << 0 << 7 << "Loading(14%)... Farm Animals.";
        // 29 / 100 * 100 is just below 29 as a real number.
        QTest::newRow("computed as a real") << 28 << 100 << "Loading(28%)... Farm Animals.";
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
              "b Book/date.jpeg", "b Book/fig.png", "b Book/gif", "b Book/inner/kiwi.gif",
              "A book/one.bmp", "own pictures/own.bmp", "Own Pictures/mine.bmp", "c/x.gif"})
            touch(books + name);
        QDir().mkpath(books + "b Book/folder.gif");
        QDir().mkpath(books + "empty");
        touch(books + "loose.gif");

        const auto lib = ListLibrary(vb::AppPath());
        QStringList order, own;
        for (const auto& b : lib) {
            QVERIFY(b.Folder.startsWith(books));
            order << b.Folder.mid(books.size());
            if (b.Own) own << order.last();
        }
        QCOMPARE(order,
                 QStringList({"A book", "b Book", "c", "empty", "Own Pictures", "own pictures"}));
        // Only the exact name is the own folder, and it lists nothing.
        QCOMPARE(own, QStringList({"own pictures"}));
        QCOMPARE(lib[5].Pictures, QStringList());
        QCOMPARE(lib[4].Pictures, QStringList({"mine.bmp"}));
        QCOMPARE(lib[1].Pictures,
                 QStringList({"apple.GIF", "Banana.bmp", "cherry.Jpg", "Zebra.gif"}));
        QCOMPARE(lib[3].Pictures, QStringList());
    }

    void noBooksFolder() {
        testing::ProgramFolder folder;
        QVERIFY(ListLibrary(vb::AppPath()).empty());
    }

    void thumbnailSource_data() {
        QTest::addColumn<QString>("picture"); // under books/
        QTest::addColumn<QString>("copy");    // under colored pictures/, "" for none
        QTest::addColumn<bool>("copyShown");
        QTest::newRow("copy of a gif") << "farm/cat.gif"
                                       << "farm/cat.jpg" << true;
        QTest::newRow("copy of a bmp") << "farm/cat.bmp"
                                       << "farm/cat.jpg" << true;
        QTest::newRow("no copy") << "farm/cat.gif"
                                 << "" << false;
        QTest::newRow("copy of another book") << "farm/cat.gif"
                                              << "zoo/cat.jpg" << false;
        QTest::newRow("three characters dropped") << "farm/a.jpeg"
                                                  << "farm/a.jjpg" << true;
        QTest::newRow("a folder is no copy") << "farm/cat.gif"
                                             << "farm/cat.jpg/" << false;
    }
    void thumbnailSource() {
        QFETCH(QString, picture);
        QFETCH(QString, copy);
        QFETCH(bool, copyShown);
        testing::ProgramFolder folder;
        const QString pic = folder.file("books/" + picture);
        touch(pic);
        if (copy.endsWith('/'))
            QVERIFY(QDir().mkpath(folder.file("colored pictures/" + copy)));
        else if (!copy.isEmpty())
            touch(folder.file("colored pictures/" + copy));
        const QFileInfo info(pic);
        const QString source = ThumbnailSource(info.path(), info.fileName());
        QCOMPARE(source, copyShown ? vb::AppPath() + "/colored pictures/" + copy : pic);
    }

    void sheetPlan_data() {
        QTest::addColumn<QList<int>>("books");
        QTest::addColumn<int>("W");
        QTest::addColumn<int>("startHeight");
        QTest::addColumn<QStringList>("expect"); // boxes per book
        QTest::addColumn<int>("height");
        QTest::newRow("seven on 634: five and two")
            << QList<int>{7} << 634 << 0 << QStringList{"6,1|111,1|216,1|321,1|426,1|6,106|111,106"}
            << 211;
        QTest::newRow("next book 140 below the last row, empty book takes no room")
            << QList<int>{2, 0, 1} << 634 << 0 << QStringList{"6,1|111,1", "", "6,141"} << 246;
        QTest::newRow("taller start height kept")
            << QList<int>{1} << 634 << 500 << QStringList{"6,1"} << 500;
        QTest::newRow("216 fits a second column")
            << QList<int>{3} << 216 << 0 << QStringList{"6,1|111,1|6,106"} << 211;
        QTest::newRow("215 does not")
            << QList<int>{2} << 215 << 0 << QStringList{"6,1|6,106"} << 211;
        QTest::newRow("645: six a row")
            << QList<int>{7} << 645 << 441 << QStringList{"6,1|111,1|216,1|321,1|426,1|531,1|6,106"}
            << 441;
        QTest::newRow("only empty books")
            << QList<int>{0, 0} << 634 << 10 << QStringList{"", ""} << 10;
    }
    void sheetPlan() {
        QFETCH(QList<int>, books);
        QFETCH(int, W);
        QFETCH(int, startHeight);
        QFETCH(QStringList, expect);
        QFETCH(int, height);
        const SheetPlan plan =
            PlanSheet(std::vector<int32_t>(books.begin(), books.end()), W, startHeight);
        QCOMPARE(int(plan.Books.size()), books.size());
        QStringList got;
        for (const auto& b : plan.Books) got << boxes(b);
        QCOMPARE(got, expect);
        QCOMPARE(plan.Height, height);
    }
    void arrowScroll_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("sheetHeight");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("steps");
        // Viewport 441 high throughout.
        QTest::newRow("down, bottom exactly at the bottom") << 1 << -559. << 1000. << 0 << 0 << 0;
        QTest::newRow("down, 100 left") << 1 << -459. << 1000. << -459 << -559 << 101;
        QTest::newRow("down, exactly 160 left") << 1 << -399. << 1000. << -399 << -559 << 161;
        QTest::newRow("down, more than 160 left") << 1 << 0. << 1000. << 0 << -160 << 161;
        QTest::newRow("down, sheet not taller") << 1 << 0. << 441. << 0 << 0 << 0;
        QTest::newRow("up at the top") << 0 << 0. << 1000. << 0 << 0 << 0;
        QTest::newRow("up, 100 left") << 0 << -100. << 1000. << -100 << 0 << 101;
        QTest::newRow("up, more than 160 left") << 0 << -300. << 1000. << -300 << -140 << 161;
    }
    void arrowScroll() {
        QFETCH(int, index);
        QFETCH(double, top);
        QFETCH(double, sheetHeight);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, steps);
        const ScrollRun run = ArrowScroll(int16_t(index), top, sheetHeight, 441);
        QCOMPARE(run.Steps(), steps);
        if (steps == 0) return;
        QCOMPARE(run.From, from);
        QCOMPARE(run.To, to);
    }

    void ballDragLimits_data() {
        QTest::addColumn<double>("ballTop");
        QTest::addColumn<double>("y");
        QTest::addColumn<int>("grabY");
        QTest::addColumn<int>("newTop");
        // Up arrow 28 high, down arrow's top at 414, ball 27 high: tops 28 to 387.
        QTest::newRow("grabbed point stays under the pointer") << 100. << 30. << 10 << 120;
        QTest::newRow("above the up arrow") << 40. << -50. << 10 << 28;
        QTest::newRow("at the upper limit") << 28. << 10. << 10 << 28;
        QTest::newRow("past the down arrow") << 380. << 40. << 5 << 387;
        QTest::newRow("at the lower limit") << 380. << 12. << 5 << 387;
    }
    void ballDragLimits() {
        QFETCH(double, ballTop);
        QFETCH(double, y);
        QFETCH(int, grabY);
        QFETCH(int, newTop);
        QCOMPARE(DraggedBallTop(ballTop, y, grabY, 28, 414, 27), newTop);
    }

    // The ball's place and the sheet's position are exact inverses, ends included.
    void ballAndSheetAgree() {
        const double S = 441 - 1000, T = BallTravel(414, 27, 28);
        QCOMPARE(T, 359.);
        QCOMPARE(BallTopFor(0, S, T, 28), 28.);
        QCOMPARE(BallTopFor(S, S, T, 28), 387.);
        QCOMPARE(SheetTopFor(28, S, T, 28), 0.);
        QCOMPARE(SheetTopFor(387, S, T, 28), S);
        for (int top = 0; top >= int(S); top -= 37)
            QVERIFY(qAbs(SheetTopFor(BallTopFor(top, S, T, 28), S, T, 28) - top) < 1e-9);
    }
};

QTEST_GUILESS_MAIN(TestLibraryScan)
#include "tst_libraryscan.moc"
