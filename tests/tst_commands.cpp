// The child's command buttons: open (with the coloured copy), clear, undo, crazy colours.

#include "ColoredCopy.h"
#include "LoadedMain.h"
#include "SizeLimitSupport.h"
#include "frmMessage.h"
#include "frmOpen.h"
#include "frmParentMessage.h"
#include "pButton.h"

#include <QDir>
#include <QDirIterator>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <optional>

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

// Answers the message window with OK or Cancel and the parents' message with Continue or
// Cancel; the rig's chooser answer picks pictures.
class Answer : public QObject {
public:
    bool messageOk = true;
    int messagesShown = 0;
    QString lastExtended;
    bool parentsCancel = false;
    QStringList parentMessages;
    bool bubblesRanDuringParentMessage = false;

    Answer() {
        connect(&timer_, &QTimer::timeout, this, [this] {
            frmParentMessage& pm = Forms::frmParentMessage();
            if (pm.IsLoaded() && pm.Visible()) {
                parentMessages << pm.lMessage->Caption();
                bubblesRanDuringParentMessage |= Forms::FrmMain().Timer1->Enabled();
                if (parentsCancel)
                    pm.lCancel_Click();
                else
                    pm.lContinue_Click();
                return;
            }
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

// What the screen shows of the canvas: the window's painted pixels, not the canvas's
// image, which holds drawing that has not been shown yet.
QImage shownCanvas(FrmMain& m) {
    QWidget* window = m.P->window();
    const QPoint at = m.P->mapTo(window, QPoint(0, 0));
    return window->windowHandle()
        ->screen()
        ->grabWindow(window->winId(), at.x(), at.y(), m.P->width(), m.P->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file under a folder, hidden ones too, relative to it; links are not followed.
QStringList everyFile(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

// Leaves the picture as opening another would, choosing nothing in the end.
void leavePicture(LoadedMain& rig) {
    const QString keep = rig.chooser.file;
    rig.chooser.file.clear();
    rig.m.c_click(0);
    rig.chooser.file = keep;
}

} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { vb::LetWritesFailAtSizeLimit(); }

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

    void clearShowsTheLineArtAtOnce() {
        LoadedMain rig;
        Answer answer;
        openLineArt(rig);
        stroke(rig.m, QPoint(30, 30), QPoint(70, 70));
        stroke(rig.m, QPoint(130, 30), QPoint(170, 70));
        QCoreApplication::processEvents();
        QVERIFY(shownCanvas(rig.m) != lineArt()); // the strokes show
        rig.m.c_click(1);
        QCOMPARE(answer.messagesShown, 1);
        QCOMPARE(shownCanvas(rig.m), lineArt());
    }

    // Only a canvas that changed since it was opened or saved is written: every JPEG
    // encoding loses a little.
    void copyIsRewrittenOnlyAfterAChange_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("rewritten");
        QTest::newRow("untouched, opened and left three times") << "none" << false;
        QTest::newRow("a crayon stroke") << "crayon" << true;
        QTest::newRow("a marker stroke") << "marker" << true;
        QTest::newRow("a press on an outline, painting nothing") << "outline" << false;
        QTest::newRow("clear") << "clear" << true;
        QTest::newRow("undo after a saved stroke") << "undo" << true;
    }
    void copyIsRewrittenOnlyAfterAChange() {
        QFETCH(QString, change);
        QFETCH(bool, rewritten);
        LoadedMain rig;
        Answer answer;
        const QString cat = addPicture(rig, "farm", "cat.bmp", lineArt());
        QImage coloured = lineArt();
        QPainter(&coloured).fillRect(QRect(20, 20, 60, 60), QColor(230, 40, 40));
        QVERIFY(QDir().mkpath(ColoredCopyFolder(cat)));
        QVERIFY(coloured.save(ColoredCopyPath(cat), "JPEG", 90));
        rig.chooser.file = cat;
        rig.m.c_click(0);
        QCOMPARE(rig.m.PicturePath, cat);

        if (change == "none") {
            leavePicture(rig);
            rig.m.c_click(0);
            leavePicture(rig);
            rig.m.c_click(0);
        } else if (change == "crayon") {
            stroke(rig.m, QPoint(130, 30), QPoint(160, 60));
        } else if (change == "marker") {
            rig.m.pTool_MouseUp(3);
            stroke(rig.m, QPoint(120, 50), QPoint(180, 50));
        } else if (change == "outline") {
            // On the outline and no further: the stroke waits and paints nothing.
            testing::press(rig.m.P, QPoint(10, 50));
            testing::release(rig.m.P, QPoint(10, 50));
        } else if (change == "clear") {
            rig.m.c_click(1);
            QCOMPARE(answer.messagesShown, 1);
        } else if (change == "undo") {
            stroke(rig.m, QPoint(130, 30), QPoint(160, 60));
            leavePicture(rig);
            rig.m.c_click(2);
        }
        const QByteArray before = bytesOf(ColoredCopyPath(cat));
        QVERIFY(!before.isEmpty());
        leavePicture(rig);
        QCOMPARE(bytesOf(ColoredCopyPath(cat)) != before, rewritten);
        if (change == "none") QCOMPARE(rig.chooser.shown(), 7); // start-up, then 2 per cycle
        QCOMPARE(answer.parentMessages, QStringList());
    }

    // A coloured copy that cannot be written: the parents hear why, the picture is kept
    // (opening, clearing) or quitting is theirs to choose; a later save works again.
    // A save that fails before the picture is given up, for each cause, each way of
    // leaving it and each answer: the parents read the cause with advice that fits it,
    // then go on without the colors (Continue) or stay with everything as it was (Cancel).
    // The copy on disk is never touched and no temporary file stays.
    void failedSaveOffersAWayOn_data() {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("parentsCancel");
        QTest::addColumn<QString>("reason"); // %1: the copy's folder, %2: the file in the way
        QTest::addColumn<QString>("choice");
        const QList<std::pair<QString, QString>> causes{
            {"full disk", "The disk is full. Make room on the disk, then try again."},
            {"read-only folder", "The folder '%1' cannot be written to. Make sure the folder "
                                 "is not read-only, then try again."},
            {"file in the way", "'%2' is a file, but it should be a folder. Move or rename "
                                "that file, then try again."}};
        const QString quitting = "Press 'Continue' to quit anyway (the colors will be lost), or "
                                 "'Cancel' to go on coloring.";
        const QList<std::pair<QString, QString>> actions{
            {"open", "Press 'Continue' to open another picture anyway (the colors of this "
                     "picture will not be kept), or 'Cancel' to go on coloring."},
            {"clear", "Press 'Continue' to clear the picture anyway (its colors will not be "
                      "kept), or 'Cancel' to go on coloring."},
            {"quit", quitting},
            {"close request", quitting}};
        for (const auto& [cause, reason] : causes)
            for (const auto& [action, choice] : actions)
                for (const bool cancel : {false, true})
                    QTest::addRow("%s, %s, %s", qPrintable(cause), qPrintable(action),
                                  cancel ? "Cancel" : "Continue")
                        << cause << action << cancel << reason << choice;
    }
    void failedSaveOffersAWayOn() {
        QFETCH(QString, cause);
        QFETCH(QString, action);
        QFETCH(bool, parentsCancel);
        QFETCH(QString, reason);
        QFETCH(QString, choice);
        LoadedMain rig;
        Answer answer;
        answer.parentsCancel = parentsCancel;
        const QString cat = addPicture(rig, "farm", "cat.bmp", lineArt());
        rig.chooser.file = cat;
        rig.m.c_click(0);
        QCOMPARE(rig.m.PicturePath, cat);
        const QString copy = ColoredCopyPath(cat);
        const QString copyFolder = ColoredCopyFolder(cat).chopped(1);
        QByteArray oldCopy;
        if (cause == "full disk") {
            oldCopy = QByteArray(4000, 'c'); // larger than the limit: only new bytes fail
            QVERIFY(QDir().mkpath(copyFolder));
            QFile file(copy);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(oldCopy);
        }
        // Even the superuser cannot create files in /sys.
        if (cause == "read-only folder") QVERIFY(QFile::link("/sys/kernel", copyFolder));
        if (cause == "file in the way") {
            QFile file(copyFolder);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        rig.m.pTool_MouseUp(1);
        stroke(rig.m, QPoint(30, 30), QPoint(60, 60));
        stroke(rig.m, QPoint(130, 30), QPoint(160, 60));
        const QImage canvas = rig.m.P->Image().image();
        const QStringList filesBefore = everyFile(rig.folder.path());
        const int shownBefore = rig.chooser.shown();
        QImage dogArt(120, 90, QImage::Format_RGB32);
        dogArt.fill(Qt::white);
        QPainter(&dogArt).fillRect(QRect(20, 20, 40, 40), Qt::black);
        const QString dog = addPicture(rig, "farm", "dog.bmp", dogArt);
        rig.chooser.file = dog;

        {
            // The program's own start-up lets a write past the limit fail instead of ending
            // the program; the limit lasts only while the parents leave the picture.
            std::optional<testing::SizeLimit> limit;
            if (cause == "full disk") limit.emplace(512);
            if (action == "open") rig.m.c_click(0);
            if (action == "clear") rig.m.c_click(1);
            if (action == "quit") rig.m.pFunc_Click(0);
            if (action == "close request") rig.m.Me()->close();
        }
        QCoreApplication::processEvents();

        QCOMPARE(answer.parentMessages,
                 QStringList{"The colored picture could not be saved.\r\n\r\n" +
                             reason.arg(QDir::toNativeSeparators(copyFolder),
                                        QDir::toNativeSeparators(copyFolder)) +
                             "\r\n\r\n" + choice});
        QVERIFY(!answer.bubblesRanDuringParentMessage);
        QCOMPARE(bytesOf(copy), oldCopy);
        QStringList filesAfter = everyFile(rig.folder.path());
        filesAfter.removeOne(QDir(rig.folder.path()).relativeFilePath(dog));
        QCOMPARE(filesAfter, filesBefore);
        const bool quits = action == "quit" || action == "close request";
        QCOMPARE(rig.ends.count(), quits && !parentsCancel ? 1 : 0);
        if (quits && !parentsCancel) return;
        QVERIFY(rig.m.Timer1->Enabled());
        QCOMPARE(rig.chooser.shown(), shownBefore + (action == "open" && !parentsCancel));
        if (parentsCancel) {
            QCOMPARE(rig.m.PicturePath, cat);
            QCOMPARE(rig.m.UndoIndex, 1);
            QVERIFY(rig.m.c[2]->Enabled());
            QCOMPARE(rig.m.Tool, 1);
            QCOMPARE(rig.m.P->Image().image(), canvas);
        } else {
            QCOMPARE(rig.m.PicturePath, action == "open" ? dog : cat);
            QCOMPARE(rig.m.UndoIndex, -1);
            QVERIFY(!rig.m.c[2]->Enabled());
            QCOMPARE(shownCanvas(rig.m), action == "open" ? dogArt : lineArt());
        }
        if (!parentsCancel || cause != "file in the way") return;

        // Room again: the next save writes the copy, and the open goes ahead.
        QVERIFY(QFile::remove(copyFolder));
        rig.m.c_click(0);
        QCOMPARE(answer.parentMessages.size(), 1);
        QCOMPARE(rig.m.PicturePath, dog);
        const QImage saved(copy);
        QCOMPARE(saved.size(), canvas.size());
        QVERIFY(qGray(saved.pixel(45, 45)) < 200); // the stroke (black: the current colour)
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
