// The colouring window's unload step: timers off, buffers released, the other windows
// unloaded in order (only those loaded), the keyboard lock removed, one end of the program.
// And a close request on each of the other windows: it does what the window's own way out
// does, never more. And the end the system asks for by a signal: the picture saved, from
// inside whatever window waits for a click, then that same unload.

#include "AppPath.h"
#include "SaveAndEndAtSignal.h"
#include "EndProgram.h"
#include "EndSignals.h"
#include "FrmMain.h"
#include "KeyRig.h"
#include "KeyboardHook.h"
#include "Screen.h"
#include "TestSupport.h"
#include "frmFirstTime.h"
#include "frmImport.h"
#include "frmMessage.h"
#include "frmParentMessage.h"
#include "frmParental.h"
#include "frmSplash.h"
#include "mMain_Keyboard.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPainter>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <optional>

using namespace vb;

namespace {

struct Window {
    QString name;
    Form* form;
};

QList<Window> otherWindows() {
    return {{"frmMessage", &Forms::frmMessage()},
            {"frmParentMessage", &Forms::frmParentMessage()},
            {"frmParental", &Forms::frmParental()},
            {"frmFirstTime", &Forms::frmFirstTime()}};
}

// The colouring window loaded as at start, with any modal window of the start-up closed.
FrmMain& loadMain(const testing::ProgramFolder& folder) {
    QFile f(folder.file("Settings.txt"));
    if (f.open(QIODevice::WriteOnly)) f.write("pw\r\n1\r\n0\r\n0\r\n4\r\n");
    f.close();
    FrmMain& m = Forms::FrmMain();
    m.Loaded = false;
    testing::AddSampleBook(folder);
    testing::ChooserAnswer chooser; // the first load opens the chooser: nothing is chosen
    m.Load();
    return m;
}

// Whether a Ctrl stroke still gets to a window of the program.
bool ctrlReachesWindows() {
    testing::KeyRecorder window;
    testing::sendKeys(window.windowHandle(), "+Ctrl -Ctrl@C");
    return !window.got.isEmpty();
}

// Readies window `which` of the close-request table for a modal showing.
Form& readyWindow(int which) {
    switch (which) {
    case 0:
    case 1: {
        frmMessage& m = Forms::frmMessage();
        m.setPasswordVisible(false);
        m.setMessage("hello");
        m.setShowCancel(which == 0);
        return m;
    }
    case 2:
    case 3:
        Forms::frmParentMessage().setMessage("hello");
        Forms::frmParentMessage().setCancelVisible(which == 2);
        return Forms::frmParentMessage();
    case 4: {
        QFile f(AppPath() + "/Settings.txt"); // line 2 out of range: a bad file
        if (f.open(QIODevice::WriteOnly)) f.write("pw\r\n 7 \r\n 1 \r\n 0 \r\n4\r\n");
        return Forms::frmParental();
    }
    case 5:
    case 6:
        Forms::frmSplash().setForm_style(which - 5);
        return Forms::frmSplash();
    default:
        return Forms::frmImport();
    }
}

// What the window answered its caller.
QString answerOf(int which) {
    if (which <= 1) return Forms::frmMessage().ButtonPressed;
    if (which <= 3) return Forms::frmParentMessage().CancelPressed ? "cancel" : "continue";
    if (which == 4) return Forms::frmParental().OKclicked ? "ok" : "not ok";
    return QString();
}
} // namespace

class TestShutdown : public QObject {
    Q_OBJECT
private slots:
    void init() { Screen::Override(QSize(1024, 768), 32); }
    void initTestCase() {
        // Whatever started the test may have left these ignored, which the program keeps.
        for (int sig : {SIGTERM, SIGHUP, SIGINT}) std::signal(sig, SIG_DFL);
    }
    void cleanup() {
        SetExitStatus(0);
        testing::EndRecorder ends;
        for (const Window& w : otherWindows()) w.form->Unload();
        Forms::FrmMain().Unload();
        Screen::Override(QSize(), 0);
    }

    void unloadStep_data() {
        QTest::addColumn<QStringList>("loaded");
        QTest::addColumn<bool>("pictureOpen");
        QTest::newRow("quit before any picture, no other window") << QStringList() << false;
        QTest::newRow("every window loaded, a picture open")
            << QStringList{"frmFirstTime", "frmParental", "frmParentMessage", "frmMessage"} << true;
        QTest::newRow("the message window only") << QStringList{"frmMessage"} << true;
        QTest::newRow("options and first-run windows")
            << QStringList{"frmFirstTime", "frmParental"} << false;
    }
    void unloadStep() {
        QFETCH(QStringList, loaded);
        QFETCH(bool, pictureOpen);
        testing::ProgramFolder folder;
        testing::EndRecorder ends;
        FrmMain& m = loadMain(folder);
        QVERIFY(m.IsLoaded());
        QVERIFY(m.KeyboardHook != 0);
        QVERIFY(!ctrlReachesWindows());

        for (const Window& w : otherWindows())
            if (loaded.contains(w.name)) w.form->Load();
        if (pictureOpen) {
            m.CanvasDib = std::make_unique<cNDib>();
            m.RegionMask = std::make_unique<cNDib>();
            m.LineArtDib = std::make_unique<cNDib>();
        }
        m.Timer1->setEnabled(true);
        m.tMusic->setEnabled(true);
        QPointer<Timer> timer1 = m.Timer1, tMusic = m.tMusic;

        // What each window's unload finds: timers off, the lock still on, no end yet.
        QStringList events;
        QList<QMetaObject::Connection> watches;
        for (const Window& w : otherWindows()) {
            watches << connect(w.form, &Form::loaded, [&events, w] { events << "load " + w.name; });
            watches << connect(w.form, &Form::unloaded, [&, w] {
                events << QString("%1 timers %2 lock %3 ends %4")
                              .arg(w.name)
                              .arg(timer1 && (timer1->Enabled() || tMusic->Enabled()) ? "on"
                                                                                      : "off")
                              .arg(ctrlReachesWindows() ? "off" : "on")
                              .arg(ends.count());
            });
        }
        m.Unload();
        for (const auto& c : watches) disconnect(c);

        QStringList expected;
        for (const Window& w : otherWindows())
            if (loaded.contains(w.name)) expected << w.name + " timers off lock on ends 0";
        QCOMPARE(events, expected);
        QVERIFY(!m.IsLoaded());
        for (const Window& w : otherWindows()) QVERIFY(!w.form->IsLoaded());
        QVERIFY(timer1 && !timer1->Enabled());
        QVERIFY(tMusic && !tMusic->Enabled());
        QVERIFY(!m.CanvasDib && !m.RegionMask && !m.LineArtDib);
        QCOMPARE(int(m.BubbleSprites.size()), 44);
        for (const auto& sprite : m.BubbleSprites) QVERIFY(!sprite);
        QVERIFY(ctrlReachesWindows());
        QCOMPARE(ends.count(), 1);
    }

    void closeRequestOnAnotherWindow_data() {
        QTest::addColumn<int>("which"); // see readyWindow()
        QTest::addColumn<bool>("staysOpen");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("ends");
        QTest::newRow("message: nevermind") << 0 << false << "Cancel" << 0;
        QTest::newRow("message without nevermind: waits for OK") << 1 << true << "Cancel" << 0;
        QTest::newRow("parent message: Cancel") << 2 << false << "cancel" << 0;
        QTest::newRow("parent notice: Continue") << 3 << false << "continue" << 0;
        QTest::newRow("options over a bad file: Cancel ends") << 4 << false << "not ok" << 1;
        QTest::newRow("About: Close") << 5 << false << "" << 0;
        QTest::newRow("loading window: waits for the scan") << 6 << true << "" << 0;
        QTest::newRow("more pictures: Cancel") << 7 << false << "" << 0;
    }
    void closeRequestOnAnotherWindow() {
        QFETCH(int, which);
        QFETCH(bool, staysOpen);
        QFETCH(QString, answer);
        QFETCH(int, ends);
        testing::ProgramFolder folder;
        testing::EndRecorder ended;
        Form& form = readyWindow(which);
        // Continues the bad-file notice that comes before the options window.
        std::optional<testing::MessageReader> parents;
        if (&form == &Forms::frmParental()) parents.emplace();
        bool asked = false, openAfter = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (asked || !form.IsLoaded() || QApplication::activeModalWidget() != form.Me()) return;
            asked = true;
            form.Me()->close();
            QCoreApplication::processEvents();
            openAfter = form.Visible();
            if (openAfter) form.Unload();
        });
        poll.start(10);
        QVERIFY(testing::whileModal([&] { form.Show(true); }, [] {}));
        QVERIFY(asked);
        QCOMPARE(openAfter, staysOpen);
        QCOMPARE(answerOf(which), answer);
        QCOMPARE(ended.count(), ends);
        QVERIFY(!Forms::FrmMain().IsLoaded()); // a close request never unloads it
    }

    void systemEndSavesThenEnds_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("window"); // open when the signal comes
        QTest::addColumn<QString>("picture"); // coloured, none, or its copy cannot be saved
        QTest::addColumn<bool>("hupIgnored"); // SIGHUP was ignored when the program started
        QTest::newRow("SIGTERM, no window") << SIGTERM << "" << "coloured" << false;
        QTest::newRow("SIGHUP, password question") << SIGHUP << "password" << "coloured" << false;
        QTest::newRow("SIGINT, parents' message") << SIGINT << "parents" << "coloured" << false;
        QTest::newRow("SIGTERM, file dialog") << SIGTERM << "file dialog" << "coloured" << false;
        QTest::newRow("SIGHUP, before any picture") << SIGHUP << "password" << "none" << false;
        QTest::newRow("SIGINT, the copy cannot be saved") << SIGINT << "parents" << "blocked" << false;
        QTest::newRow("SIGHUP ignored at start, then SIGTERM") << SIGTERM << "" << "coloured" << true;
    }
    void systemEndSavesThenEnds() {
        QFETCH(int, signal);
        QFETCH(QString, window);
        QFETCH(QString, picture);
        QFETCH(bool, hupIgnored);
        testing::ProgramFolder folder;
        testing::EndRecorder ends;
        Forms::FrmMain().PicturePath.clear(); // a row before may have left its picture
        FrmMain& m = loadMain(folder);
        QVERIFY(!ctrlReachesWindows());
        const QString page = folder.file("books/sample/page.bmp");
        const QString copy = folder.file("colored pictures/sample/page.jpg");
        if (picture != "none") {
            m.P->setPicture(StdPicture(QImage(page).convertToFormat(QImage::Format_RGB32)));
            m.tP->setPicture(m.P->Picture());
            m.PicturePath = page;
            m.SavedCanvas.reset();
            QPainter(&m.P->hDC()->image()).fillRect(20, 10, 30, 20, Qt::red);
        }
        if (picture == "blocked") {
            QVERIFY(QDir().mkpath(folder.file("colored pictures")));
            QFile inTheWay(folder.file("colored pictures/sample"));
            QVERIFY(inTheWay.open(QIODevice::WriteOnly));
        }

        std::signal(SIGHUP, hupIgnored ? SIG_IGN : SIG_DFL);
        bool showing = false, endedInside = false;
        QList<int> heard;
        QVERIFY(InstallEndSignalHandlers([&](int s) {
            heard << s;
            endedInside = showing;
            SaveAndEndAtSignal(m, s);
        }));
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        // The dialog is no window of the program's own: the real end leaves the process
        // with it open; here it is closed once the end has come.
        QTimer closeDialog;
        connect(&closeDialog, &QTimer::timeout, [&] {
            if (ends.count() > 0) dialog.reject();
        });
        closeDialog.start(10);
        const auto raise = [&] {
            if (hupIgnored) std::raise(SIGHUP);
            std::raise(signal);
        };
        if (window.isEmpty()) {
            raise();
            QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 1, 5000);
        } else {
            QVERIFY(testing::whileModal(
                [&] {
                    showing = true;
                    if (window == "file dialog") {
                        dialog.exec();
                    } else if (window == "password") {
                        Forms::frmMessage().setMessage("hello");
                        Forms::frmMessage().setPasswordVisible(true);
                        Forms::frmMessage().Show(true);
                    } else {
                        Forms::frmParentMessage().setMessage("hello");
                        Forms::frmParentMessage().Show(true);
                    }
                    showing = false;
                },
                raise));
            QVERIFY(endedInside);
        }
        QCOMPARE(heard, QList<int>{signal});
        QCOMPARE(ends.count(), 1);
        QCOMPARE(ExitStatus(), 128 + signal);
        QVERIFY(!m.IsLoaded());
        for (const Window& w : otherWindows()) QVERIFY(!w.form->IsLoaded());
        QVERIFY(ctrlReachesWindows());
        const QImage saved(copy);
        QCOMPARE(saved.isNull(), picture != "coloured");
        if (!saved.isNull()) {
            const QRgb red = saved.pixel(35, 20), white = saved.pixel(80, 70);
            QVERIFY2(qRed(red) > 200 && qGreen(red) < 60, qPrintable(QString::number(red, 16)));
            QVERIFY(qGray(white) > 240);
        }

        // A second signal, after or during the end, starts no second end.
        std::raise(signal);
        QCoreApplication::processEvents();
        QCOMPARE(heard.size(), 1);
        QCOMPARE(ends.count(), 1);
        std::signal(SIGHUP, SIG_DFL);
    }

    void theLockIsInstalledOnceAndRemovedOnce() {
        testing::ProgramFolder folder;
        testing::EndRecorder ends;
        FrmMain& m = loadMain(folder);
        const int32_t hook = m.KeyboardHook;
        QVERIFY(hook != 0);
        // The options window's confirmation runs the load step again: no second lock.
        m.Form_Load();
        QCOMPARE(m.KeyboardHook, hook);
        m.Unload();
        QVERIFY(ctrlReachesWindows());
        QCOMPARE(ends.count(), 1);
    }

    void withoutALockNothingIsRemoved() {
        testing::ProgramFolder folder;
        testing::EndRecorder ends;
        FrmMain& m = loadMain(folder);
        QVERIFY(UnhookWindowsHookEx(m.KeyboardHook));
        m.KeyboardHook = 0;
        // Some other lock, not the window's: the unload leaves it alone.
        const int32_t other = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHookProc, nullptr, 0);
        QVERIFY(other != 0);
        m.Unload();
        QCOMPARE(ends.count(), 1);
        QVERIFY(!ctrlReachesWindows());
        QVERIFY(UnhookWindowsHookEx(other));
        QVERIFY(ctrlReachesWindows());
    }
};

QTEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
