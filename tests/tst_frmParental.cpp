// The options window over real settings files: the first-run and bad-file branches of its
// load, Okay's bytes and notices, the save failure, Cancel, and the folder link.

#include "AppPath.h"
#include "Settings.h"
#include "Shell.h"
#include "SizeLimitSupport.h"
#include "TestSupport.h"
#include "frmFirstTime.h"
#include "frmParentMessage.h"
#include "frmParental.h"
#include "frmSplash.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString BadFile = QStringLiteral(
    "There was an error while trying to open the settings file.\r\n\r\nYou can attempt to create "
    "a new settings file by filling out the next form and clicking OK. If that does not work, "
    "reinstalling the application might fix the problem.");
const QString SaveFailed = QStringLiteral(
    "There was an error while trying to save the settings.\r\n\r\nMake sure the disk is not write "
    "protected and there is enough space.");
const QString OldOpens = SaveFailed + "\r\n\r\nThe old password still opens the locked functions.";
const QString FolderInTheWay = QStringLiteral(
    "There was an error while trying to save the settings.\r\n\r\nA folder named 'Settings.txt' "
    "stands where the settings file should be: move or rename it, then click Okay again.\r\n\r\n"
    "No password can be read from the settings file, so The Tintavale will ask for the settings "
    "again when it next starts.");
const QString EmptyPassword = QStringLiteral("You must enter a password in order to continue.");
const QString AutoHide = QStringLiteral(
    "You have chosen to auto-hide the parental buttons (small buttons on the top-left corner of "
    "the screen). If you need to access them, you should place the mouse pointer over that area "
    "for one second.");
const QString FolderWarning = QStringLiteral(
    "You are about to open the folder where all the pictures that have so far been colored are "
    "stored. You are advised not to add or modify any of the pictures, however, you may delete "
    "the pictures/folders as desired. Deleting pictures/folders will reset the picture, "
    "returning them to their original Black and White state.");
const QString FolderFailed = QStringLiteral(
    "The Tintavale 'Colored pictures' folder could not be opened. It may not exist. If you have "
    "problems saving pictures or continue to get this error, please reinstall The Tintavale.");

// Root reads and writes whatever the permissions say; while this lives, file access is
// checked as for the ordinary user 65534.
class AsOrdinaryUser {
public:
    AsOrdinaryUser() {
        if (geteuid() == 0) {
            setfsgid(65534);
            setfsuid(65534);
        }
    }
    ~AsOrdinaryUser() {
        if (geteuid() == 0) {
            setfsuid(0);
            setfsgid(0);
        }
    }
};

// Steps run one after another, each as soon as its window shows, inside whatever modal
// wait is current: a step that opens a further modal window does not hold up the next.
class Script {
public:
    using Step = std::function<void()>;
    // `log` receives what happened: "first run", every parent message's text, "options".
    QStringList log;

    // Each parent message: its text is logged and the given label pressed.
    void answerMessage(bool cancel = false) {
        add([] { return Forms::frmParentMessage().Visible(); },
            [this, cancel] {
                auto& pm = Forms::frmParentMessage();
                log << pm.lMessage->Caption();
                QLabel* button = cancel ? pm.lCancel : pm.lContinue;
                testing::click(button, QPoint(2, 2));
            });
    }
    void continueFirstRun() {
        add([] { return Forms::frmFirstTime().Visible(); },
            [this] {
                log << "first run";
                testing::click(Forms::frmFirstTime().Command1, QPoint(2, 2));
            });
    }
    // Acts on the options window once it shows and no message is over it.
    void onOptions(Step step) {
        add([] { return Forms::frmParental().Visible() && !Forms::frmParentMessage().Visible(); },
            std::move(step));
    }
    // Shows the options window and runs the steps; false when it did not close in time
    // (then every modal window is closed, again and again, until the show returns).
    bool run(int timeoutMs = 8000) {
        tick();
        QElapsedTimer clock;
        clock.start();
        bool timedOut = false;
        QTimer guard;
        QObject::connect(&guard, &QTimer::timeout, [&] {
            if (clock.elapsed() < timeoutMs) return;
            timedOut = true;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->isModal()) w->hide();
        });
        guard.start(50);
        Forms::frmParental().Show(true);
        if (timedOut) { // leave nothing behind for the next test
            Forms::frmParentMessage().Unload();
            Forms::frmFirstTime().Unload();
            Forms::frmParental().Unload();
        }
        return !timedOut;
    }
    bool done() const { return steps_.isEmpty(); }

private:
    void add(std::function<bool()> ready, Step step) {
        steps_.append({std::move(ready), std::move(step)});
    }
    void tick() {
        if (steps_.isEmpty()) return;
        QTimer::singleShot(5, &context_, [this] {
            if (steps_.isEmpty() || !steps_.first().first()) return tick();
            const Step step = steps_.takeFirst().second;
            tick(); // before the step, which may wait in a modal window of its own
            step();
        });
    }
    QList<QPair<std::function<bool()>, Step>> steps_;
    QObject context_; // pending steps die with the script
};

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

// The controls as "password|quit sound hide|speed|link".
QString States() {
    auto& p = Forms::frmParental();
    QString speed;
    for (int i = 0; i < 3; ++i)
        if (p.Option1[i]->isChecked()) speed += QStringList{"fast", "medium", "slow"}[i];
    return QStringLiteral("%1|%2%3%4|%5|%6")
        .arg(p.Text1->text())
        .arg(p.O[2]->Value())
        .arg(p.Check1->Value())
        .arg(p.Check2->Value())
        .arg(speed)
        .arg(p.Label3->isVisibleTo(p.pM) ? "link" : "no link");
}

// Types each character as a key press carrying its text (Qt's key helpers know only ASCII);
// a character beyond 16 bits comes as its two halves in one press, as from the keyboard.
void Type(QWidget* w, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text[i].isHighSurrogate() ? 2 : 1;
        const QString c = text.mid(i, n);
        i += n - 1;
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, c);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, c);
        QApplication::sendEvent(w, &release);
    }
}

void ClickCheck(QAbstractButton* b) {
    testing::click(b, QPoint(6, b->height() / 2));
}

} // namespace

class TestFrmParental : public QObject {
    Q_OBJECT
private slots:
    void loadBranches_data() {
        QTest::addColumn<QString>("kind"); // "none", "file", "denied", "folder", "pipe"
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("before"); // what came before the options window
        QTest::addColumn<QString>("states");
        QTest::addColumn<bool>("cancelEnds");
        const QStringList bad{BadFile};
        QTest::newRow("first run")
            << "none" << QByteArray() << QStringList{"first run"} << "|010|medium|no link" << false;
        QTest::newRow("good file") << "file" << QByteArray("pw\r\n 1 \r\n 0 \r\n 1 \r\n10\r\n")
                                   << QStringList{} << "pw|101|slow|link" << false;
        QTest::newRow("greyed box") << "file" << QByteArray("pw\r\n2\r\n1.9\r\n0\r\n2.5\r\n")
                                    << QStringList{} << "pw|210|fast|link" << false;
        QTest::newRow("four lines") << "file" << QByteArray("pw\r\n1\r\n0\r\n1\r\n") << bad
                                    << "pw|101|medium|no link" << true;
        QTest::newRow("letters on line 3") << "file" << QByteArray("pw\r\n1\r\non\r\n1\r\n4\r\n")
                                           << bad << "pw|110|medium|no link" << true;
        QTest::newRow("7 on line 5") << "file" << QByteArray("pw\r\n1\r\n0\r\n1\r\n7\r\n") << bad
                                     << "pw|101|medium|no link" << true;
        QTest::newRow("huge line") << "file"
                                   << "pw\r\n" + QByteArray(4 << 20, '5') + "\r\n1\r\n0\r\n4\r\n"
                                   << bad << "pw|010|medium|no link" << true;
        QTest::newRow("invalid UTF-8") << "file" << QByteArray("pw\r\n\xc3\x28\r\n1\r\n0\r\n4\r\n")
                                       << bad << "pw|010|medium|no link" << true;
        QTest::newRow("NUL bytes") << "file" << QByteArray("pw\r\n1\r\n\0\0\r\n0\r\n4\r\n", 17)
                                   << bad << "pw|110|medium|no link" << true;
        QTest::newRow("permission denied") << "denied" << QByteArray("pw\r\n1\r\n1\r\n1\r\n2\r\n")
                                           << bad << "|010|medium|no link" << true;
        QTest::newRow("pipe") << "pipe" << QByteArray() << bad << "|010|medium|no link" << true;
        // A folder is not found by the directory search: the run counts as a first run.
        QTest::newRow("folder named Settings.txt")
            << "folder" << QByteArray() << QStringList{"first run"} << "|010|medium|no link"
            << false;
    }
    void loadBranches() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, before);
        QFETCH(QString, states);
        QFETCH(bool, cancelEnds);
        testing::ProgramFolder folder;
        testing::EndRecorder ends;
        const QString path = folder.file("Settings.txt");
        if (kind == "file" || kind == "denied") WriteFile(path, bytes);
        if (kind == "denied") {
            QFile::setPermissions(folder.path(), QFileDevice::Permissions(0x7755));
            QVERIFY(QFile::setPermissions(path, {}));
        }
        if (kind == "folder") QVERIFY(QDir(folder.path()).mkdir("Settings.txt"));
        if (kind == "pipe") QCOMPARE(mkfifo(qPrintable(path), 0600), 0);
        // Left loaded and hidden, as Visit Website leaves the About box.
        Forms::frmSplash().setForm_style(0);

        Script script;
        if (before.contains("first run")) script.continueFirstRun();
        if (before.contains(BadFile)) script.answerMessage();
        QString shown;
        script.onOptions([&] {
            script.log << "options";
            shown = States();
            testing::click(Forms::frmParental().Lab[1], QPoint(2, 2)); // Cancel
        });
        {
            std::optional<AsOrdinaryUser> user;
            if (kind == "denied") user.emplace();
            QVERIFY(script.run());
        }
        QVERIFY(script.done());
        QCOMPARE(script.log, before + QStringList{"options"});
        QCOMPARE(shown, states);
        QCOMPARE(ends.count(), cancelEnds ? 1 : 0);
        // Ending the program closes every other window first.
        QCOMPARE(Forms::frmSplash().IsLoaded(), !cancelEnds);
        Forms::frmSplash().Unload();
        QVERIFY(!Forms::frmParental().IsLoaded());
        QVERIFY(!Forms::frmParental().OKclicked);
        // Cancel writes nothing.
        if (kind == "file") QCOMPARE(ReadFile(path), bytes);
        if (kind == "none") QVERIFY(!QFile::exists(path));
    }

    void okay_data() {
        QTest::addColumn<QByteArray>("start"); // "" for no file
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QByteArray>("written");
        const QByteArray good = "pw\r\n 0 \r\n 1 \r\n 0 \r\n4\r\n";
        QTest::newRow("first run, quitting free, fast")
            << QByteArray() << "secret" << QStringList{"quit", "fast"} << QStringList{}
            << QByteArray("secret\r\n 1 \r\n 1 \r\n 0 \r\n2\r\n");
        QTest::newRow("sounds off, slow")
            << good << "" << QStringList{"sound", "slow"} << QStringList{}
            << QByteArray("pw\r\n 0 \r\n 0 \r\n 0 \r\n10\r\n");
        QTest::newRow("auto-hide newly ticked")
            << good << "" << QStringList{"hide"} << QStringList{AutoHide}
            << QByteArray("pw\r\n 0 \r\n 1 \r\n 1 \r\n4\r\n");
        QTest::newRow("auto-hide left ticked")
            << QByteArray("pw\r\n0\r\n1\r\n1\r\n4\r\n") << "" << QStringList{} << QStringList{}
            << QByteArray("pw\r\n 0 \r\n 1 \r\n 1 \r\n4\r\n");
        QTest::newRow("greyed box written back")
            << QByteArray("pw\r\n2\r\n2\r\n0\r\n4\r\n") << "" << QStringList{} << QStringList{}
            << QByteArray("pw\r\n 2 \r\n 2 \r\n 0 \r\n4\r\n");
        QTest::newRow("greyed box clicked ticks it")
            << QByteArray("pw\r\n2\r\n1\r\n0\r\n4\r\n") << "" << QStringList{"quit"}
            << QStringList{} << QByteArray("pw\r\n 1 \r\n 1 \r\n 0 \r\n4\r\n");
        QTest::newRow("one blank password") << QByteArray() << " " << QStringList{} << QStringList{}
                                            << QByteArray(" \r\n 0 \r\n 1 \r\n 0 \r\n4\r\n");
        QTest::newRow("Latin-1 kept in Latin-1")
            << QByteArray() << QString::fromUtf8("caf\xc3\xa9") << QStringList{} << QStringList{}
            << QByteArray("caf\xe9\r\n 0 \r\n 1 \r\n 0 \r\n4\r\n");
        QTest::newRow("beyond Latin-1 in UTF-8")
            << QByteArray() << QString::fromUtf8("café€ пароль 密码 ひみつ \xf0\x9f\xa6\x84")
            << QStringList{} << QStringList{}
            << QByteArray(
                   "café€ пароль 密码 ひみつ \xf0\x9f\xa6\x84\r\n 0 \r\n 1 \r\n 0 \r\n4\r\n");
        QTest::newRow("UTF-8 file, Latin-1 added")
            << QByteArray("\xef\xbb\xbfпароль\r\n0\r\n1\r\n0\r\n4\r\n") << QString::fromUtf8("é")
            << QStringList{} << QStringList{}
            << QByteArray("пароль\xc3\xa9\r\n 0 \r\n 1 \r\n 0 \r\n4\r\n");
        const QByteArray longPassword = QByteArray("long pass-word ").repeated(3000);
        QTest::newRow("password of 45,000 characters kept whole")
            << longPassword + "\r\n0\r\n1\r\n0\r\n4\r\n"
            << "" << QStringList{} << QStringList{}
            << longPassword + "\r\n 0 \r\n 1 \r\n 0 \r\n4\r\n";
        QTest::newRow("typing goes on past 32,767 characters")
            << longPassword + "\r\n0\r\n1\r\n0\r\n4\r\n"
            << "!" << QStringList{} << QStringList{}
            << longPassword + "!\r\n 0 \r\n 1 \r\n 0 \r\n4\r\n";
        QTest::newRow("empty password refused")
            << QByteArray() << "" << QStringList{"hide"} << QStringList{EmptyPassword}
            << QByteArray("<none>");
        QTest::newRow("folder named Settings.txt")
            << QByteArray("<folder>") << "pw" << QStringList{} << QStringList{FolderInTheWay}
            << QByteArray("<none>");
        QTest::newRow("bad file replaced")
            << QByteArray("pw\r\n1\r\n") << "" << QStringList{} << QStringList{BadFile}
            << QByteArray("pw\r\n 1 \r\n 1 \r\n 0 \r\n4\r\n");
    }
    void okay() {
        QFETCH(QByteArray, start);
        QFETCH(QString, typed);
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, messages);
        QFETCH(QByteArray, written);
        testing::ProgramFolder folder;
        testing::EndRecorder ends;
        const QString path = folder.file("Settings.txt");
        const bool folderInTheWay = start == "<folder>";
        if (folderInTheWay)
            QVERIFY(QDir(folder.path()).mkdir("Settings.txt"));
        else if (!start.isEmpty())
            WriteFile(path, start);
        const bool refused = messages.contains(EmptyPassword);
        const bool staysOpen = refused || folderInTheWay;

        Script script;
        if (start.isEmpty() || folderInTheWay) script.continueFirstRun();
        if (messages.contains(BadFile)) script.answerMessage();
        bool focusInPassword = false;
        QString password;
        script.onOptions([&] {
            auto& p = Forms::frmParental();
            Type(p.Text1, typed);
            password = p.Text1->text();
            for (const QString& c : clicks) {
                if (c == "quit") ClickCheck(p.O[2]);
                if (c == "sound") ClickCheck(p.Check1);
                if (c == "hide") ClickCheck(p.Check2);
                if (c == "fast") ClickCheck(p.Option1[0]);
                if (c == "slow") ClickCheck(p.Option1[2]);
            }
            testing::click(p.Lab[0], QPoint(2, 2)); // Okay
        });
        for (const QString& m : messages)
            if (m != BadFile) script.answerMessage();
        if (staysOpen) {
            script.onOptions([&] {
                auto& p = Forms::frmParental();
                focusInPassword = p.Me()->focusWidget() == p.Text1;
                testing::click(p.Lab[1], QPoint(2, 2)); // Cancel
            });
        }
        QVERIFY(script.run());
        QVERIFY(script.done());
        QStringList expectLog = messages;
        if (start.isEmpty() || folderInTheWay) expectLog.prepend("first run");
        QCOMPARE(script.log, expectLog);
        QCOMPARE(ReadFile(path), written);
        QCOMPARE(Forms::frmParental().OKclicked, !staysOpen);
        if (refused) QVERIFY(focusInPassword);
        QCOMPARE(ends.count(), 0);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
                 QFileInfo(path).isFile() ? QStringList{"Settings.txt"} : QStringList{});
        // The start-up takes the password as it was typed.
        Settings::StartupSettings read;
        QCOMPARE(Settings::ReadStartupSettings(path, read), !staysOpen);
        if (!staysOpen) QCOMPARE(read.Parental_Password, password);
    }

    // Where the program folder cannot take the temporary file, a settings file the parents
    // may write is written over in place; otherwise they are told, the window stays and the
    // old file is untouched. A folder that takes new files gets a whole new file.
    void saveWhereFolderIsClosed_data() {
        QTest::addColumn<bool>("folderOpen");
        QTest::addColumn<int>("owner"); // of the settings file: 65534 the parents, 0 another
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("open folder, read-only file") << true << 65534 << 0444 << true << false;
        QTest::newRow("closed folder") << false << 65534 << 0644 << true << true;
        QTest::newRow("closed folder, read-only file") << false << 65534 << 0444 << true << true;
        QTest::newRow("closed folder, another's file") << false << 0 << 0644 << false << false;
        // A file its owner cannot read is written readable, never write-only.
        QTest::newRow("open folder, unreadable file") << true << 65534 << 0000 << true << false;
        QTest::newRow("closed folder, unreadable file") << false << 65534 << 0000 << true << true;
    }
    void saveWhereFolderIsClosed() {
        QFETCH(bool, folderOpen);
        QFETCH(int, owner);
        QFETCH(int, mode);
        QFETCH(bool, saved);
        QFETCH(bool, inPlace);
        if (owner == 0 && geteuid() != 0) QSKIP("only root can give a file to another user");
        testing::ProgramFolder folder;
        const QString path = folder.file("Settings.txt");
        // Longer than what replaces it, so that writing in place must also cut it.
        const QByteArray old = "an old and long password\r\n 0 \r\n 1 \r\n 0 \r\n4\r\n";
        WriteFile(path, old);
        if (geteuid() == 0) {
            QVERIFY(chown(qPrintable(folder.path()), 65534, 65534) == 0);
            QVERIFY(chown(qPrintable(path), uid_t(owner), gid_t(owner)) == 0);
        }
        QVERIFY(chmod(qPrintable(path), mode_t(mode)) == 0);
        QVERIFY(chmod(qPrintable(folder.path()), folderOpen ? 0755 : 0555) == 0);
        struct stat before;
        QVERIFY(stat(qPrintable(path), &before) == 0);

        Script script;
        bool stillOpen = false;
        const bool unreadable = !(mode & 0400);
        if (unreadable) script.answerMessage();
        script.onOptions([&] {
            Forms::frmParental().Text1->clear();
            Type(Forms::frmParental().Text1, "new");
            testing::click(Forms::frmParental().Lab[0], QPoint(2, 2));
        });
        if (!saved) {
            script.answerMessage();
            script.onOptions([&] {
                stillOpen = true;
                testing::click(Forms::frmParental().Lab[1], QPoint(2, 2));
            });
        }
        {
            AsOrdinaryUser user;
            QVERIFY(script.run());
        }
        QVERIFY(chmod(qPrintable(folder.path()), 0700) == 0);
        QVERIFY(script.done());
        QCOMPARE(script.log, (unreadable ? QStringList{BadFile} : QStringList{}) +
                                 (saved ? QStringList{} : QStringList{OldOpens}));
        QCOMPARE(stillOpen, !saved);
        QCOMPARE(Forms::frmParental().OKclicked, saved);
        QCOMPARE(ReadFile(path), saved ? QByteArray("new\r\n 0 \r\n 1 \r\n 0 \r\n4\r\n") : old);
        struct stat after;
        QVERIFY(stat(qPrintable(path), &after) == 0);
        if (saved) QCOMPARE(after.st_ino == before.st_ino, inPlace);
        QCOMPARE(int(after.st_mode & 0777), saved ? mode | 0600 : mode);
        QCOMPARE(
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"Settings.txt"});
    }

    // Under a limit on the size of files the new settings do not fit, whether they were to
    // replace the old file or, in a folder that takes no new file, be written over it: the
    // old file stays whole, no temporary file is left, and the parents hear which password
    // opens.
    void sizeLimitKeepsOldFile_data() {
        QTest::addColumn<bool>("folderOpen");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("mode");
        QTest::newRow("open folder, the old file's size") << true << 42 << 0644;
        QTest::newRow("closed folder, 8 bytes") << false << 8 << 0644;
        QTest::newRow("closed folder, 16 bytes") << false << 16 << 0644;
        QTest::newRow("closed folder, 40 bytes") << false << 40 << 0644;
        QTest::newRow("closed folder, 40 bytes, read-only file") << false << 40 << 0444;
    }
    void sizeLimitKeepsOldFile() {
        QFETCH(bool, folderOpen);
        QFETCH(int, limit);
        QFETCH(int, mode);
        testing::ProgramFolder folder;
        const QString path = folder.file("Settings.txt");
        const QByteArray old = "oldpassword-abcdefghij\r\n 0 \r\n 1 \r\n 0 \r\n4\r\n";
        QCOMPARE(old.size(), 42);
        WriteFile(path, old);
        QVERIFY(chmod(qPrintable(path), mode_t(mode)) == 0);
        QStringList arguments{"--save-settings", folder.path()};
        if (!folderOpen) {
            if (geteuid() == 0) {
                QVERIFY(chown(qPrintable(folder.path()), 65534, 65534) == 0);
                QVERIFY(chown(qPrintable(path), 65534, 65534) == 0);
                arguments << "--as-ordinary-user";
            }
            QVERIFY(chmod(qPrintable(folder.path()), 0555) == 0);
        }
        const QString told = testing::RunUnderSizeLimit(rlim_t(limit), arguments);
        QVERIFY(chmod(qPrintable(folder.path()), 0700) == 0);
        QCOMPARE(told, OldOpens);
        QCOMPARE(ReadFile(path), old);
        struct stat after;
        QVERIFY(stat(qPrintable(path), &after) == 0);
        QCOMPARE(int(after.st_mode & 0777), mode); // a file left as it was, permissions too
        QCOMPARE(
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"Settings.txt"});
    }

    void folderLink_data() {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<bool>("openerSucceeds");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<bool>("failure");
        QTest::newRow("opened") << false << true << true << true << false;
        QTest::newRow("parents cancel") << true << true << true << false << false;
        QTest::newRow("nothing can open it") << false << true << false << true << true;
        QTest::newRow("folder missing") << false << false << true << false << true;
    }
    void folderLink() {
        QFETCH(bool, cancel);
        QFETCH(bool, folderExists);
        QFETCH(bool, openerSucceeds);
        QFETCH(bool, opened);
        QFETCH(bool, failure);
        testing::ProgramFolder folder;
        WriteFile(folder.file("Settings.txt"), "pw\r\n0\r\n1\r\n0\r\n4\r\n");
        if (folderExists) QVERIFY(QDir(folder.path()).mkdir("colored pictures"));
        QStringList urls;
        vb::SetShellOpener([&](const QUrl& url) {
            urls << url.toLocalFile();
            return openerSucceeds;
        });

        Script script;
        script.onOptions([] { testing::click(Forms::frmParental().Label3, QPoint(2, 2)); });
        script.answerMessage(cancel);
        if (failure) script.answerMessage();
        script.onOptions([] { testing::click(Forms::frmParental().Lab[1], QPoint(2, 2)); });
        const bool closed = script.run();
        vb::SetShellOpener(nullptr);
        QVERIFY(closed);
        QStringList expect{FolderWarning};
        if (failure) expect << FolderFailed;
        QCOMPARE(script.log, expect);
        QCOMPARE(urls, opened ? QStringList{folder.file("colored pictures")} : QStringList{});
    }
};

// The child of sizeLimitKeepsOldFile: starts as the program does, types a longer password
// into the options window, presses Okay, then Cancel, and prints the parents' messages.
int SaveSettingsChild(int argc, char** argv) {
    vb::LetWritesFailAtSizeLimit();
    QApplication app(argc, argv);
    vb::SetAppPath(QString::fromLocal8Bit(argv[2]));
    std::optional<AsOrdinaryUser> user;
    if (argc > 3 && qstrcmp(argv[3], "--as-ordinary-user") == 0) user.emplace();
    Script script;
    script.onOptions([] {
        Forms::frmParental().Text1->clear();
        Type(Forms::frmParental().Text1, "NEWPASSWORD-0123456789!");
        testing::click(Forms::frmParental().Lab[0], QPoint(2, 2));
    });
    script.answerMessage();
    script.onOptions([] { testing::click(Forms::frmParental().Lab[1], QPoint(2, 2)); });
    if (!script.run() || Forms::frmParental().OKclicked) return 1;
    std::fputs(script.log.join('|').toUtf8().constData(), stdout);
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 3 && qstrcmp(argv[1], "--save-settings") == 0) return SaveSettingsChild(argc, argv);
    QApplication app(argc, argv);
    TestFrmParental test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_frmParental.moc"
