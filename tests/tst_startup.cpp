// The colouring window's start-up: screen rules, settings with the options window's
// retry, the bubbles and their masks, the layout, and what a second load keeps.

#include "FrmMain.h"
#include "Screen.h"
#include "Settings.h"
#include "TestSupport.h"
#include "frmFirstTime.h"
#include "frmMessage.h"
#include "frmParentMessage.h"
#include "frmParental.h"
#include "pButton.h"

#include <QFile>
#include <QPainter>
#include <QTimer>
#include <QtTest>
#include <sys/stat.h>

using namespace vb;

namespace {

void writeSettings(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A program folder the colouring window can start in: its library holds one book.
struct StartFolder : testing::ProgramFolder {
    StartFolder() { testing::AddSampleBook(*this); }
};

// Answers the modal windows of the start-up as a parent would, recording what was shown.
class Parent : public QObject {
public:
    bool cancelWarning = false;
    QString okayPassword; // empty: cancel the options window
    QStringList seen;
    testing::ChooserAnswer chooser; // nothing is chosen at the first picture

    Parent() {
        connect(&timer_, &QTimer::timeout, this, &Parent::answer);
        timer_.start(20);
    }

private:
    void answer() {
        if (Forms::frmMessage().Visible()) {
            seen << QStringLiteral("password");
            Forms::frmMessage().Text1->setText(Forms::FrmMain().Parental_Password);
            Forms::frmMessage().cOut1_click();
        } else if (Forms::frmParentMessage().Visible()) {
            seen << QStringLiteral("message");
            if (cancelWarning)
                Forms::frmParentMessage().lCancel_Click();
            else
                Forms::frmParentMessage().lContinue_Click();
        } else if (Forms::frmFirstTime().Visible()) {
            seen << QStringLiteral("first run");
            Forms::frmFirstTime().Hide();
        } else if (Forms::frmParental().Visible()) {
            seen << QStringLiteral("options");
            if (okayPassword.isEmpty()) {
                Forms::frmParental().Lab_Click(1);
            } else {
                Forms::frmParental().Text1->setText(okayPassword);
                Forms::frmParental().Lab_Click(0);
            }
        }
    }
    QTimer timer_;
};

FrmMain& freshMain() {
    FrmMain& m = Forms::FrmMain();
    m.Unload();
    m.Loaded = false;
    return m;
}

// The colouring window started in a program folder of its own with these settings.
struct Started {
    StartFolder folder;
    testing::EndRecorder ends;
    testing::ChooserAnswer chooser; // the first picture: nothing chosen
    FrmMain& m;
    explicit Started(const QByteArray& settings) : m(freshMain()) {
        writeSettings(folder.file("Settings.txt"), settings);
        m.Load();
    }
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void init() { Screen::Override(QSize(1024, 768), 32); }
    void cleanup() {
        testing::EndRecorder ends; // the window's unload ends the program
        Forms::FrmMain().Unload();
        Screen::Override(QSize(), 0);
    }

    void settingsAsTheStartUpReadsThem_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("quitLocked");
        QTest::addColumn<bool>("sound");
        QTest::addColumn<bool>("autoHide");
        QTest::addColumn<float>("speed");
        QTest::newRow("1.9 on line 2 unlocks, 4.5 on line 5 gives 4")
            << QByteArray("pw\r\n1.9\r\n 0 \r\n 0 \r\n4.5\r\n") << false << false << false << 4.0f;
        QTest::newRow("2 locks, any non-zero sound and auto-hide count")
            << QByteArray("pw\r\n 2 \r\n 2 \r\n-3\r\n10\r\n") << true << true << true << 10.0f;
        QTest::newRow("0 locks, LF line ends")
            << QByteArray("pw\n0\n1\n0\n2\n") << true << true << false << 2.0f;
    }
    void settingsAsTheStartUpReadsThem() {
        QFETCH(QByteArray, file);
        QFETCH(bool, quitLocked);
        QFETCH(bool, sound);
        QFETCH(bool, autoHide);
        QFETCH(float, speed);
        StartFolder folder;
        testing::EndRecorder ends;
        writeSettings(folder.file("Settings.txt"), file);
        Parent parent;
        FrmMain& m = freshMain();
        m.Load();
        QCOMPARE(ends.count(), 0);
        QVERIFY(parent.seen.isEmpty());
        QCOMPARE(m.Parental_Password, QString("pw"));
        QCOMPARE(m.QuitLocked, quitLocked);
        QCOMPARE(m.Play_Sound, sound);
        QCOMPARE(m.AutoHideFunctions, autoHide);
        QCOMPARE(m.BubbleSpeed, speed);
        QCOMPARE(m.pFunc[0]->Visible(), !autoHide);
        QVERIFY(QFileInfo(folder.file("colored pictures")).isDir());
    }

    void unreadableSettingsOpenTheOptionsWindowAndAreReadAgain_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("four lines") << QByteArray("pw\r\n 1 \r\n 1 \r\n 0 \r\n");
        QTest::newRow("letters on line 3") << QByteArray("pw\r\n 1 \r\nloud\r\n 0 \r\n4\r\n");
        QTest::newRow("empty line 5") << QByteArray("pw\r\n 1 \r\n 1 \r\n 0 \r\n\r\n");
    }
    void unreadableSettingsOpenTheOptionsWindowAndAreReadAgain() {
        QFETCH(QByteArray, file);
        StartFolder folder;
        testing::EndRecorder ends;
        writeSettings(folder.file("Settings.txt"), file);
        Parent parent;
        parent.okayPassword = QStringLiteral("new password");
        FrmMain& m = freshMain();
        m.Load();
        QCOMPARE(ends.count(), 0);
        QVERIFY2(parent.seen.contains("options"), qPrintable(parent.seen.join(',')));
        QCOMPARE(m.Parental_Password, QString("new password"));
        QVERIFY(m.Loaded);
    }

    // A pipe of that name is a settings file that cannot be read: the start goes on to the
    // options window, whose Okay puts a real file in its place.
    void settingsPipeIsReplaced() {
        StartFolder folder;
        testing::EndRecorder ends;
        QCOMPARE(mkfifo(QFile::encodeName(folder.file("Settings.txt")).constData(), 0600), 0);
        Parent parent;
        parent.okayPassword = QStringLiteral("new password");
        FrmMain& m = freshMain();
        m.Load();
        QCOMPARE(ends.count(), 0);
        QCOMPARE(parent.seen, QStringList({"message", "options"}));
        QCOMPARE(m.Parental_Password, QString("new password"));
        QVERIFY(QFileInfo(folder.file("Settings.txt")).isFile());
    }

    void optionsWindowCancelledEndsTheProgram() {
        StartFolder folder;
        testing::EndRecorder ends;
        Parent parent; // cancels the options window
        freshMain().Load();
        QVERIFY(parent.seen.contains("options"));
        QVERIFY(ends.count() >= 1);
        QVERIFY(!Forms::FrmMain().Loaded);
    }

    // Settings that cannot be read when the parents open the options window during a run
    // (edited or emptied, or holding values only the start-up takes): Cancel ends the
    // program, and the child's colouring is saved first, as the quit saves it.
    void optionsCancelledDuringARunSavesTheColouring_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("emptied") << QByteArray();
        QTest::newRow("bubble speed 3") << QByteArray("pw\r\n 1 \r\n 0 \r\n 0 \r\n3\r\n");
        QTest::newRow("allow-quit 7") << QByteArray("pw\r\n 7 \r\n 0 \r\n 0 \r\n4\r\n");
    }
    void optionsCancelledDuringARunSavesTheColouring() {
        QFETCH(QByteArray, file);
        Started started("pw\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n");
        FrmMain& m = started.m;
        const QString page = started.folder.file("books/sample/page.bmp");
        m.P->setPicture(StdPicture(QImage(page).convertToFormat(QImage::Format_RGB32)));
        m.tP->setPicture(m.P->Picture());
        m.PicturePath = page;
        m.SavedCanvas.reset();
        QPainter(&m.P->hDC()->image()).fillRect(20, 10, 30, 20, Qt::red);
        writeSettings(started.folder.file("Settings.txt"), file);
        Parent parent; // cancels the options window
        m.pFunc_Click(4);
        QCOMPARE(parent.seen, QStringList({"password", "message", "options"}));
        QCOMPARE(started.ends.count(), 1);
        QVERIFY(!m.IsLoaded());
        const QImage saved(started.folder.file("colored pictures/sample/page.jpg"));
        QVERIFY(!saved.isNull());
        QVERIFY(qRed(saved.pixel(35, 20)) > 200 && qGreen(saved.pixel(35, 20)) < 60);
        m.PicturePath.clear();
    }

    void screenRules_data() {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("messages");
        QTest::addColumn<bool>("ends");
        QTest::newRow("799 wide ends after the message")
            << QSize(799, 600) << 32 << false << 1 << true;
        QTest::newRow("16 bits ends") << QSize(1024, 768) << 16 << false << 1 << true;
        QTest::newRow("800x600 warns, continue") << QSize(800, 600) << 24 << false << 1 << false;
        QTest::newRow("800x600 warns, cancel ends") << QSize(800, 600) << 24 << true << 1 << true;
        QTest::newRow("1024x768x32 silent") << QSize(1024, 768) << 32 << false << 0 << false;
    }
    void screenRules() {
        QFETCH(QSize, screen);
        QFETCH(int, bits);
        QFETCH(bool, cancel);
        QFETCH(int, messages);
        QFETCH(bool, ends);
        StartFolder folder;
        testing::EndRecorder recorder;
        writeSettings(folder.file("Settings.txt"), "pw\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n");
        Screen::Override(screen, bits);
        Parent parent;
        parent.cancelWarning = cancel;
        freshMain().Load();
        QCOMPARE(parent.seen.count(), messages);
        QCOMPARE(recorder.count() > 0, ends);
        QCOMPARE(Forms::FrmMain().Loaded, !ends);
        if (!ends) {
            // The warning comes once: a later load is silent.
            Forms::FrmMain().Form_Load();
            QCOMPARE(parent.seen.count(), messages);
        }
    }

    void layoutOfTheRealWindow() {
        Started started("pw\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n");
        FrmMain& m = started.m;
        QCOMPARE(m.Me()->geometry(), QRect(0, 0, 1024, 768));
        QCOMPARE(m.pT->geometry(), QRect(0, 0, 1024, 103));
        QCOMPARE(m.PB->geometry(), QRect(0, 103, 1024, 665));
        // Each button is as wide as its face's last index; the bubble panel takes the rest.
        int x = 0;
        for (pButton* b : m.c) {
            QCOMPARE(b->x(), x);
            x += b->width();
        }
        for (pButton* b : m.pTool) {
            QCOMPARE(b->x(), x);
            x += b->width();
        }
        QCOMPARE(x, 732 - 8);
        QCOMPARE(m.Pc->geometry(), QRect(x, 0, 1024 - x, 103));
        QCOMPARE(m.FunctionBarWidth, 22 + 21 + 23 + 12 + 17);
        QVERIFY(m.pTool[0]->Pressed());
        for (pButton* t : m.pTool) QVERIFY(!t->Enabled());
        QVERIFY(m.c[0]->Enabled());
        for (int i = 1; i < 4; ++i) QVERIFY(!m.c[i]->Enabled());
        QVERIFY(m.Timer1->Enabled()); // the start-up's chooser has closed: the bubbles move
        QVERIFY(!m.P->Visible());
        // The shading band: black at the top of the background, fading over 10 rows.
        QCOMPARE(m.PB->Point(500, 0), 0);
        QVERIFY(m.PB->Point(500, 5) != 0 && m.PB->Point(500, 5) != 0xFFFFFF);
        QCOMPARE(m.PB->Point(500, 10), 0xFFFFFF);
    }

    void bubblesStartBelowThePanelWithTheirColoursAndMasks() {
        Started started("pw\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n");
        FrmMain& m = started.m;
        QCOMPARE(int(m.Bubbles.size()), 22);
        QCOMPARE(int(m.pCC.size()), 44);
        QCOMPARE(int(m.BubbleSprites.size()), 44);
        for (int i = 0; i < 22; ++i) {
            const Bubble& b = m.Bubbles[i];
            QCOMPARE(b.R, m.pCC[i]->ScaleWidth() / 2);
            QVERIFY(b.Y >= m.Pc->ScaleHeight() + b.R && b.Y < m.Pc->ScaleHeight() + b.R + 20);
            QVERIFY(b.VY <= -0.5f / 4 && b.VY > -1.5f / 4);
            QCOMPARE(b.VX, 0.0f);
            QVERIFY(b.Colour != 0);
            // The mask is white exactly where the picture is black.
            const cNDib& sprite = *m.BubbleSprites[i];
            const cNDib& mask = *m.BubbleSprites[22 + i];
            QCOMPARE(mask.Width(), sprite.Width());
            for (int y = 0; y <= sprite.Height(); ++y)
                for (int x = 0; x <= sprite.Width(); ++x)
                    QCOMPARE(mask.Get_Pixel_Long(x, y),
                             sprite.Get_Pixel_Long(x, y) == 0 ? 0xFFFFFF : 0);
        }
    }

    void bubbleSpeedZeroLeavesTheBubblesStill() {
        Started started("pw\r\n 1 \r\n 0 \r\n 0 \r\n0\r\n");
        FrmMain& m = started.m;
        QVERIFY(m.Loaded);
        for (const Bubble& b : m.Bubbles) {
            QCOMPARE(b.VY, 0.0f);
            QVERIFY(b.Phase >= 0 && b.Phase < 6.28f); // the steps after the failed one ran
        }
    }

    void aSecondLoadKeepsPictureAndBubblesAndResetsTheRest() {
        Started started("pw\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n");
        FrmMain& m = started.m;
        QImage page(300, 200, QImage::Format_RGB32);
        page.fill(qRgb(1, 2, 3));
        m.P->setPicture(StdPicture(page));
        m.P->show();
        m.Bubbles[3].Y = 42;
        m.CurrentR = 200;
        m.ColorJitter = 120;
        m.RegionColor = 255;
        m.pTool[1]->setEnabled(true);
        m.c[1]->setEnabled(true);
        m.c[3]->setPressed(true);
        writeSettings(started.folder.file("Settings.txt"), "changed\r\n 1 \r\n 1 \r\n 0 \r\n4\r\n");
        m.Form_Load();
        QVERIFY(!m.Timer1->Enabled()); // a later load leaves the bubbles to its caller
        QCOMPARE(m.Parental_Password, QString("changed"));
        QVERIFY(m.Play_Sound);
        QCOMPARE(m.P->Point(10, 10), 1 + 256 * 2 + 65536 * 3);
        QCOMPARE(m.P->geometry().topLeft(), QPoint((1024 - 300) / 2, (665 - 200) / 2));
        QCOMPARE(m.Bubbles[3].Y, 42.0f);
        QCOMPARE(int(m.CurrentR), 0);
        QCOMPARE(m.ColorJitter, 10);
        QCOMPARE(m.RegionColor, -1);
        QVERIFY(!m.pTool[1]->Enabled());
        QVERIFY(!m.c[1]->Enabled());
        QVERIFY(!m.c[3]->Pressed());
        QCOMPARE(int(m.pCC.size()), 44); // no second set of masks
        QCOMPARE(m.Me()->geometry(), QRect(0, 0, 1024, 768));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
