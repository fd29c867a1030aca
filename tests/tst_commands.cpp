// The child's command buttons: open (with the coloured copy), clear, undo, crazy colours.

#include "ColoredCopy.h"
#include "LoadedMain.h"
#include "frmMessage.h"
#include "frmOpen.h"
#include "pButton.h"

#include <QDir>
#include <QPainter>
#include <QTimer>
#include <QtTest>

using namespace vb;
using testing::LoadedMain;

namespace {

// Line art: two closed boxes side by side on white.
QImage lineArt() {
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QPen(Qt::black, 2));
    p.drawRect(10, 10, 80, 80);
    p.drawRect(110, 10, 80, 80);
    return img;
}

QString addPicture(LoadedMain& rig, const QString& book, const QString& name, const QImage& img) {
    QDir(rig.folder.path()).mkpath(QStringLiteral("books/") + book);
    const QString path = rig.folder.file(QStringLiteral("books/%1/%2").arg(book, name));
    if (!img.save(path, "BMP")) qFatal("cannot write a picture");
    return path;
}

// Answers the message window with OK or Cancel; the rig's chooser answer picks pictures.
class Answer : public QObject {
public:
    bool messageOk = true;
    int messagesShown = 0;
    QString lastExtended;

    Answer() {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (!Forms::frmMessage().IsLoaded() || !Forms::frmMessage().Visible()) return;
            ++messagesShown;
            lastExtended = Forms::frmMessage().Label2->Caption();
            if (messageOk)
                Forms::frmMessage().cOut1_click();
            else
                Forms::frmMessage().cOut2_click();
        });
        timer_.start(10);
    }

private:
    QTimer timer_;
};

// Opens the two-box line art through the open command, as the child would choose it.
QString openLineArt(LoadedMain& rig) {
    const QString cat = addPicture(rig, "farm", "cat.bmp", lineArt());
    rig.chooser.file = cat;
    rig.m.c_click(0);
    return cat;
}

void stroke(FrmMain& m, QPoint from, QPoint to) {
    testing::press(m.P, from);
    testing::move(m.P, (from + to) / 2);
    testing::move(m.P, to);
    testing::release(m.P, to);
}

} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void chooserClosedWithoutAChoiceSavesAndChangesNothing() {
        LoadedMain rig;
        Answer answer;
        const QString cat = openLineArt(rig);
        QCOMPARE(rig.m.PicturePath, cat);
        stroke(rig.m, QPoint(50, 50), QPoint(60, 60));
        rig.chooser.file.clear();
        rig.m.c_click(0);
        QCOMPARE(rig.chooser.shown(), 3); // at start-up, then twice
        QCOMPARE(rig.m.PicturePath, cat);
        QVERIFY(QFileInfo::exists(ColoredCopyPath(cat))); // saved before the chooser showed
        QVERIFY(rig.m.Timer1->Enabled());
        QVERIFY(rig.m.c[2]->Enabled()); // undo history kept
    }

    void openingShowsTheCopyOverTheBlankTemplate() {
        LoadedMain rig;
        const QString cat = addPicture(rig, "farm", "cat.bmp", lineArt());
        QImage coloured = lineArt();
        coloured.setPixel(50, 50, qRgb(255, 0, 0));
        QDir().mkpath(ColoredCopyFolder(cat));
        QVERIFY(coloured.save(ColoredCopyPath(cat), "JPEG", 100));
        Answer answer;
        rig.chooser.file = cat;
        rig.m.c_click(0);
        QVERIFY(rig.m.P->Visible());
        QVERIFY(qRed(rig.m.P->Point(50, 50)) < 100); // red in the copy: blue channel low
        QCOMPARE(rig.m.tP->Point(50, 50), 0xFFFFFF); // the template is the line art
        QCOMPARE(rig.m.UndoIndex, -1);
        QVERIFY(!rig.m.c[2]->Enabled());
        QVERIFY(rig.m.c[1]->Enabled());
        QVERIFY(rig.m.c[3]->Enabled());
        for (pButton* t : rig.m.pTool) QVERIFY(t->Enabled());
        QVERIFY(rig.m.pFunc[1]->Enabled());
        QVERIFY(rig.m.pFunc[2]->Enabled());
        QVERIFY(rig.sounds.played.contains("NEW0") || rig.sounds.played.contains("NEW1"));
        // Centred in the background.
        QCOMPARE(rig.m.P->geometry().topLeft(), QPoint((1024 - 200) / 2, (665 - 100) / 2));
        // Undo with nothing to undo leaves the picture alone.
        rig.m.c_click(2);
        QCOMPARE(rig.m.UndoIndex, -1);
        QVERIFY(qRed(rig.m.P->Point(50, 50)) < 100);
        QCOMPARE(rig.m.tP->Point(50, 50), 0xFFFFFF);
    }

    void damagedCopyOpensBlankWithoutAMessage() {
        LoadedMain rig;
        const QString dog = addPicture(rig, "farm", "dog.bmp", lineArt());
        const QString cat = addPicture(rig, "farm", "cat.bmp", lineArt());
        Answer answer;
        rig.chooser.file = dog; // the library is read while every file is sound
        rig.m.c_click(0);
        QDir().mkpath(ColoredCopyFolder(cat));
        QFile copy(ColoredCopyPath(cat));
        QVERIFY(copy.open(QIODevice::WriteOnly));
        copy.write("not a jpeg");
        copy.close();
        rig.chooser.file = cat;
        rig.m.c_click(0);
        QCOMPARE(answer.messagesShown, 0);
        QCOMPARE(rig.m.P->Point(50, 50), 0xFFFFFF);
        QCOMPARE(rig.m.P->size(), QSize(200, 100));
        QCOMPARE(rig.m.PicturePath, cat);
    }

    void damagedPictureNamesItsPathAndKeepsThePrevious() {
        LoadedMain rig;
        Answer answer;
        const QString cat = openLineArt(rig);
        rig.m.pTool_MouseUp(3);
        stroke(rig.m, QPoint(20, 50), QPoint(180, 50)); // a marker line in the template
        rig.m.pTool_MouseUp(0);
        // Damaged after the library was read (a damaged file found by the reading ends the
        // program instead).
        const QString bad = rig.folder.file("books/farm/broken.gif");
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("GIF89a broken");
        f.close();
        rig.chooser.file = bad;
        rig.m.c_click(0);
        QCOMPARE(answer.messagesShown, 1);
        QVERIFY2(answer.lastExtended.contains("'" + bad + "'"), qPrintable(answer.lastExtended));
        QCOMPARE(rig.m.PicturePath, cat);
        QVERIFY(rig.m.Timer1->Enabled());
        // The previous picture's template stays, outlines and marker line and all, so its
        // strokes keep to the outlines.
        QCOMPARE(rig.m.tP->size(), QSize(200, 100));
        QCOMPARE(rig.m.tP->Point(100, 50), 0);
        QCOMPARE(rig.m.tP->Point(50, 30), 0xFFFFFF);
        stroke(rig.m, QPoint(50, 30), QPoint(55, 30));
        QCOMPARE(rig.m.tP->Point(150, 30), 0xFFFFFF); // the region fill ends at the outlines
    }

    void clearAndUndo() {
        LoadedMain rig;
        Answer answer;
        const QString cat = openLineArt(rig);
        // A marker line across both boxes, then crayon strokes.
        rig.m.pTool_MouseUp(3);
        stroke(rig.m, QPoint(20, 50), QPoint(180, 50));
        QCOMPARE(rig.m.tP->Point(100, 50), 0);
        rig.m.pTool_MouseUp(0);
        stroke(rig.m, QPoint(50, 30), QPoint(55, 30));
        stroke(rig.m, QPoint(150, 30), QPoint(155, 30));
        stroke(rig.m, QPoint(50, 70), QPoint(55, 70));
        QCOMPARE(rig.m.UndoIndex, 2);
        // Three undos, newest first; the third disables the button.
        rig.m.c_click(2);
        rig.m.c_click(2);
        QVERIFY(rig.m.c[2]->Enabled());
        rig.m.c_click(2);
        QVERIFY(!rig.m.c[2]->Enabled());
        QCOMPARE(rig.m.UndoIndex, -1);
        // Back to the state after the first stroke: the marker line stays.
        QCOMPARE(rig.m.tP->Point(100, 50), 0);

        // Clear cancelled: nothing changes and no copy is written.
        QFile::remove(ColoredCopyPath(cat));
        answer.messageOk = false;
        rig.m.c_click(1);
        QCOMPARE(answer.messagesShown, 1);
        QVERIFY(!QFileInfo::exists(ColoredCopyPath(cat)));
        QCOMPARE(rig.m.tP->Point(100, 50), 0);
        // Clear confirmed: the line art as opened, the marker line gone from the template.
        answer.messageOk = true;
        rig.m.c_click(1);
        QVERIFY(QFileInfo::exists(ColoredCopyPath(cat)));
        QCOMPARE(rig.m.tP->Point(100, 50), 0xFFFFFF);
        QCOMPARE(rig.m.P->Point(100, 50), 0xFFFFFF);
        QCOMPARE(rig.m.P->Point(50, 30), 0xFFFFFF);
        QCOMPARE(rig.m.UndoIndex, -1);
        QVERIFY(rig.m.Timer1->Enabled());
    }

    void undoAfterTheMarkerRemovesItsLineEverywhere() {
        LoadedMain rig;
        Answer answer;
        const QString cat = openLineArt(rig);
        rig.m.pTool_MouseUp(3);
        stroke(rig.m, QPoint(20, 50), QPoint(80, 50));
        QCOMPARE(rig.m.P->Point(50, 50), 0);
        rig.m.c_click(2);
        QCOMPARE(rig.m.P->Point(50, 50), 0xFFFFFF);
        QCOMPARE(rig.m.tP->Point(50, 50), 0xFFFFFF);
        QVERIFY(!rig.m.c[2]->Enabled());
    }

    void clearingTheOwnPageLeavesABlankPage() {
        LoadedMain rig;
        QImage page(120, 80, QImage::Format_RGB32);
        page.fill(Qt::white);
        for (int x = 0; x < 120; ++x) page.setPixel(x, 40, qRgb(0, 0, 0));
        addPicture(rig, "farm", "cat.bmp",
                   lineArt()); // a library of the own page alone is no library
        const QString own = addPicture(rig, "own pictures", "own.bmp", page);
        QCOMPARE(own, OwnPicturePath());
        Answer answer;
        rig.chooser.file = own;
        rig.m.c_click(0);
        rig.m.c_click(1);
        QCOMPARE(rig.m.tP->Point(60, 40), 0xFFFFFF);
        QCOMPARE(rig.m.P->Point(60, 40), 0xFFFFFF);
    }

    void crazyColoursToggleWithRealPresses() {
        LoadedMain rig;
        Answer answer;
        const QString cat = openLineArt(rig);
        rig.sounds.played.clear();
        QWidget* face = rig.m.c[3]->findChild<PictureArea*>();
        QVERIFY(face);
        testing::click(face, QPoint(10, 10));
        QVERIFY(rig.m.c[3]->Pressed());
        QCOMPARE(rig.m.ColorJitter, 120);
        testing::click(face, QPoint(10, 10));
        QVERIFY(!rig.m.c[3]->Pressed());
        QCOMPARE(rig.m.ColorJitter, 10);
        QCOMPARE(rig.sounds.played.size(), 2); // the click sound, each time
    }

    // Opening another picture leaves the crazy-colours button showing its state.
    void openingKeepsTheCrazyColoursFace_data() {
        QTest::addColumn<bool>("crazy");
        QTest::newRow("crazy colours on") << true;
        QTest::newRow("crazy colours off") << false;
    }
    void openingKeepsTheCrazyColoursFace() {
        QFETCH(bool, crazy);
        LoadedMain rig;
        Answer answer;
        openLineArt(rig);
        const QImage plain = rig.m.c[3]->P->Image().image();
        if (crazy) testing::click(rig.m.c[3]->P, QPoint(10, 10));
        const QImage face = rig.m.c[3]->P->Image().image();
        QCOMPARE(face != plain, crazy);

        rig.chooser.file = addPicture(rig, "farm", "dog.bmp", lineArt());
        rig.m.c_click(0);
        QCOMPARE(rig.m.PicturePath, rig.chooser.file);
        QCOMPARE(rig.m.c[3]->Pressed(), crazy);
        QCOMPARE(rig.m.ColorJitter, crazy ? 120 : 10);
        QCOMPARE(rig.m.c[3]->P->Image().image(), face);
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
