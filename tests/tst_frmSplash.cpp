// The loading and About window: its looks in each mode, the progress line, the bubble
// timer paused while it is loaded, and what Close, Help, Visit Website and the licence
// text do, including the hidden window that Visit Website and the licence text leave.

#include "FrmMain.h"
#include "HelpWindow.h"
#include "Screen.h"
#include "Shell.h"
#include "TestSupport.h"
#include "frmParentMessage.h"
#include "frmSplash.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QtTest>

using namespace vb;

namespace {

const QString kStagedHelp = QStringLiteral(TV_PROGRAM_DIR "/Help.chm");

frmSplash& splash() {
    return Forms::frmSplash();
}

QList<HelpWindow*> helpWindows() {
    QList<HelpWindow*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* h = qobject_cast<HelpWindow*>(w); h && h->isVisible()) out << h;
    return out;
}

// Shows the About box modally and runs `inside` once it is up.
bool aboutBox(const std::function<void()>& inside) {
    splash().setForm_style(0);
    return testing::whileModal([] { splash().Show(true); }, inside);
}

void clickLabel(Label* l) {
    testing::click(l, {2, 2});
}

// The colouring window, loaded once from a program folder with good settings; any modal
// window of its start-up is closed at once.
Timer* bubbleTimer() {
    FrmMain& m = Forms::FrmMain();
    if (!m.IsLoaded()) {
        static testing::ProgramFolder folder;
        QFile f(folder.file("Settings.txt"));
        if (!f.open(QIODevice::WriteOnly)) return nullptr;
        f.write("pw\r\n1\r\n0\r\n0\r\n4\r\n");
        f.close();
        Screen::Override(QSize(1024, 768), 32);
        testing::AddSampleBook(folder);
        testing::ChooserAnswer chooser; // the first load opens the chooser: nothing is chosen
        m.Load();
    }
    return m.IsLoaded() ? m.Timer1 : nullptr;
}

} // namespace

class TestFrmSplash : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        splash().Unload();
        for (HelpWindow* h : helpWindows()) h->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetShellOpener(nullptr);
    }
    void cleanupTestCase() {
        testing::EndRecorder ends; // the colouring window's unload ends the program
        Forms::FrmMain().Unload();
        Screen::Override(QSize(), 0);
    }

    void modes_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("loadingLines");
        QTest::addColumn<bool>("handAndTip");
        QTest::newRow("1: loading") << 1 << true << false;
        QTest::newRow("0: About") << 0 << false << true;
        // Any other value shows the loading lines, but only 1 leaves the pointer alone.
        QTest::newRow("2: loading lines, About pointer") << 2 << true << true;
    }
    void modes() {
        QFETCH(int, style);
        QFETCH(bool, loadingLines);
        QFETCH(bool, handAndTip);
        QVERIFY(!splash().IsLoaded());
        splash().setForm_style(style);
        QVERIFY(splash().IsLoaded());
        QCOMPARE(splash().Form_style(), style);
        QVERIFY(!splash().Label1->isHidden());
        QCOMPARE(splash().Label1->text(), QString());
        QCOMPARE(!splash().Label2->isHidden(), loadingLines);
        QCOMPARE(!splash().lProgress->isHidden(), loadingLines);
        for (Label* c : {splash().Command1, splash().Command2, splash().Command3})
            QCOMPARE(!c->isHidden(), !loadingLines);
        const Qt::CursorShape pointer = handAndTip ? Qt::BitmapCursor : Qt::ArrowCursor;
        for (Label* l : {splash().Label1, splash().Command1, splash().Command2, splash().Command3})
            QCOMPARE(l->cursor().shape(), pointer);
        QCOMPARE(splash().Label1->toolTip(),
                 handAndTip ? QString("Open The Tintavale help file to view the license "
                                      "agreement in more detail.")
                            : QString());

        // Switching the mode of a loaded window only switches the lines.
        splash().setForm_style(style == 0 ? 1 : 0);
        QCOMPARE(!splash().Label2->isHidden(), style == 0);
        QCOMPARE(!splash().Command1->isHidden(), style != 0);
        QCOMPARE(splash().Label1->cursor().shape(), pointer);
    }

    void looks() {
        splash().setForm_style(1);
        PictureArea* w = splash().Me();
        QCOMPARE(w->size(), QSize(590, 458));
        QCOMPARE(w->BackColor(), 0xFFFFFF);
        QVERIFY(w->Point(0, 0) != 0xFFFFFF); // the raised frame
        QCOMPARE(w->Point(4, 4), 0xFFFFFF);
        QCOMPARE(splash().pM->geometry(), QRect(8, 8, 573, 441));
        // The picture keeps its size: the box shows its top-left part.
        const QImage picture = QImage(":/design/splash.bmp").convertToFormat(QImage::Format_RGB32);
        const QImage shown = splash().pM->Image().image();
        for (QPoint p : {QPoint(0, 0), QPoint(300, 200), QPoint(572, 440)})
            QCOMPARE(shown.pixel(p), picture.pixel(p));
        QCOMPARE(splash().Label2->geometry(), QRect(8, 408, 313, 17));
        QCOMPARE(splash().lProgress->geometry(), QRect(8, 424, 313, 17));
        QCOMPARE(splash().lProgress->palette().color(QPalette::WindowText), QColor(0x666666));
        // The three label buttons: bold, side by side on one line inside the box.
        const QList<Label*> buttons{splash().Command1, splash().Command2, splash().Command3};
        QCOMPARE(QStringList({buttons[0]->text(), buttons[1]->text(), buttons[2]->text()}),
                 QStringList({"Close", "Help", "Visit Website"}));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(buttons[i]->y(), 424);
            QVERIFY(buttons[i]->geometry().bottom() < splash().pM->height());
            if (i > 0) QVERIFY(buttons[i - 1]->geometry().right() < buttons[i]->x());
        }
        QCOMPARE(buttons[0]->x(), 8);
    }

    void help_data() {
        QTest::addColumn<bool>("helpFileThere");
        QTest::newRow("Help.chm there") << true;
        QTest::newRow("Help.chm missing") << false;
    }
    void help() {
        QFETCH(bool, helpFileThere);
        testing::ProgramFolder folder;
        if (helpFileThere) QVERIFY(QFile::copy(kStagedHelp, folder.file("Help.chm")));
        testing::MessageReader parent;
        bool stayedOpen = false;
        QVERIFY(aboutBox([&] {
            clickLabel(splash().Command2);
            stayedOpen = splash().Visible();
            if (stayedOpen) clickLabel(splash().Command1);
        }));
        QCOMPARE(stayedOpen, !helpFileThere);
        if (helpFileThere) {
            QVERIFY(parent.seen.isEmpty());
            QCOMPARE(helpWindows().size(), 1);
            HelpWindow* h = helpWindows()[0];
            QCOMPARE(h->Topic(), QString("index.htm"));
            QVERIFY(h->isMaximized());
            QCOMPARE(h->parentWidget(), nullptr);
        } else {
            QVERIFY(helpWindows().isEmpty());
            QCOMPARE(parent.seen, QStringList{"Unable to start the help file '" + folder.path() +
                                              "/Help.chm' Please make sure that it exists."});
        }
        QVERIFY(!splash().IsLoaded());
    }

    void licenceTextOpensItsTopicOwnedByTheHiddenWindow() {
        testing::ProgramFolder folder;
        QVERIFY(QFile::copy(kStagedHelp, folder.file("Help.chm")));
        QVERIFY(aboutBox([] { clickLabel(splash().Label1); }));
        // Loaded again, out of sight, as the owner of the help window.
        QVERIFY(splash().IsLoaded());
        QVERIFY(!splash().Visible());
        QCOMPARE(helpWindows().size(), 1);
        QPointer<HelpWindow> h = helpWindows()[0];
        QCOMPARE(h->Topic(), QString("license_agreement.htm"));
        QCOMPARE(h->windowTitle(), QString("License agreement"));
        QCOMPARE(h->parentWidget(), splash().hWnd());
        // The next use does not load the window again: the About pointer stays.
        splash().setForm_style(1);
        QCOMPARE(splash().Label1->cursor().shape(), Qt::BitmapCursor);
        QVERIFY(!splash().Command1->isVisibleTo(splash().pM));
        // Its unload takes the help window with it.
        splash().Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(h.isNull());
    }

    // From here on the colouring window is loaded and its bubble timer is watched.
    void bubbleTimerPausedWhileLoaded_data() {
        QTest::addColumn<bool>("about");
        QTest::addColumn<bool>("running");
        QTest::newRow("loading window, bubbles moving") << false << true;
        QTest::newRow("loading window, bubbles still") << false << false;
        QTest::newRow("About box, bubbles moving") << true << true;
        QTest::newRow("About box, bubbles still") << true << false;
    }
    void bubbleTimerPausedWhileLoaded() {
        QFETCH(bool, about);
        QFETCH(bool, running);
        Timer* timer = bubbleTimer();
        QVERIFY(timer);
        timer->setEnabled(running);
        if (about) {
            bool pausedInside = true;
            QVERIFY(aboutBox([&] {
                pausedInside = !timer->Enabled();
                clickLabel(splash().Command1); // Close ends the modal show
            }));
            QVERIFY(pausedInside);
        } else {
            splash().setForm_style(1);
            splash().Show(false); // returns at once
            QVERIFY(splash().Visible());
            splash().setProgressText(QStringLiteral("Reading the book 'farm'..."));
            QCOMPARE(splash().lProgress->text(), QString("Reading the book 'farm'..."));
            QVERIFY(!timer->Enabled());
            clickLabel(splash().Label1); // does nothing here
            QVERIFY(splash().Visible());
            QVERIFY(helpWindows().isEmpty());
            splash().Unload();
        }
        QVERIFY(!splash().IsLoaded());
        QCOMPARE(timer->Enabled(), running);
    }

    void visitWebsite() {
        Timer* timer = bubbleTimer();
        QVERIFY(timer);
        timer->setEnabled(true);
        QList<QUrl> opened;
        bool timerDuringRequest = true;
        SetShellOpener([&](const QUrl& u) {
            opened << u;
            timerDuringRequest = timer->Enabled();
            return true;
        });
        QVERIFY(aboutBox([] { clickLabel(splash().Command3); }));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].path(), QString("/thetintavale/"));
        QVERIFY(opened[0].scheme().startsWith("http"));
        // The window came back hidden; its load paused the bubbles again and remembered
        // that they had been moving.
        QVERIFY(splash().IsLoaded());
        QVERIFY(!splash().Visible());
        QVERIFY(!timerDuringRequest);
        QVERIFY(!timer->Enabled());
        QVERIFY(splash().TimerWasEnabled);
        splash().Unload();
        QVERIFY(timer->Enabled());
    }
};

QTEST_MAIN(TestFrmSplash)
#include "tst_frmSplash.moc"
