// Programs started through ShellExecuteA on a real X display get the environment the
// program was given, without the settings it made for its own start-up, while those
// settings still hold for its own windows (their images do not go through shared memory).
// The desktop's opener is heard: its failure is ours, and one that stays running is left so.

#include "PictureArea.h"
#include "Shell.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>

namespace {

// Stands in for the desktop's opener: after a moment writes its environment, arguments and
// process id to a file, then does what TV_OPENER_THEN says.
const char* const FakeOpener = "#!/bin/sh\nsleep 0.3\nenv > \"$TV_OPENER_OUT.tmp\"\n"
                               "echo \"ARGS=$*\" >> \"$TV_OPENER_OUT.tmp\"\n"
                               "echo \"PID=$$\" >> \"$TV_OPENER_OUT.tmp\"\n"
                               "mv \"$TV_OPENER_OUT.tmp\" \"$TV_OPENER_OUT\"\n"
                               "eval \"$TV_OPENER_THEN\"\n";

QStringList EnvironmentOf(const QString& dump) {
    QFile f(dump);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromLocal8Bit(f.readAll()).split('\n');
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT
public:
    QString folder; // holds the fake opener; PATH leads there first
private slots:
    void startedPrograms_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("then"); // what the opener does once it has reported
        QTest::addColumn<int>("answer");
        QTest::newRow("the coloured pictures folder") << "folder" << "exit 0" << vb::SE_SUCCESS;
        const QString site = "https://example.org/thetintavale/";
        QTest::newRow("the web site") << site << "exit 0" << vb::SE_SUCCESS;
        QTest::newRow("no web browser") << site << "exit 3" << vb::SE_ERR_NOASSOC;
        QTest::newRow("a browser in the foreground") << site << "exec sleep 60" << vb::SE_SUCCESS;
    }
    void startedPrograms() {
        QFETCH(QString, target);
        QFETCH(QString, then);
        QFETCH(int, answer);
        const QString dump = folder + "/opened-" + QString::number(qHash(QTest::currentDataTag()));
        qputenv("TV_OPENER_OUT", QFile::encodeName(dump));
        qputenv("TV_OPENER_THEN", then.toUtf8());
        if (target == "folder") target = folder;
        QCOMPARE(vb::ShellExecuteA(nullptr, "open", target, "", "", vb::SW_SHOWMAXIMIZED), answer);
        // The answer waited for the opener's verdict.
        QVERIFY(QFile::exists(dump));
        const QStringList env = EnvironmentOf(dump);
        QVERIFY(env.contains("ARGS=" + (target.contains(':') ? target
                                                             : QUrl::fromLocalFile(target).toString())));
        QVERIFY(!env.join('\n').contains("QT_XCB_NO_MITSHM"));
        // What the program was given passes on untouched, even under a name it would set.
        QVERIFY(env.contains("TV_GIVEN=by the desktop"));
        const QStringList pid = env.filter(QRegularExpression("^PID=\\d+$"));
        QCOMPARE(pid.size(), 1);
        const pid_t opener = pid[0].mid(4).toInt();
        const bool running = ::kill(opener, 0) == 0;
        if (running) ::kill(opener, SIGTERM);
        QCOMPARE(running, then.startsWith("exec"));
        QCOMPARE(::waitpid(-1, nullptr, WNOHANG), 0); // no child left unreaped; Xvfb runs on
    }

    // Our windows still send their images through the connection: no shared memory segment
    // of the X server is mapped after one has been shown and painted.
    void ownWindowsKeepTheSetting() {
        QWidget w;
        w.resize(300, 200);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.repaint();
        QFile maps("/proc/self/maps");
        QVERIFY(maps.open(QIODevice::ReadOnly));
        int lines = 0;
        for (const QByteArray& line : maps.readAll().split('\n')) {
            ++lines;
            QVERIFY2(!line.contains("memfd:") && !line.contains("SYSV"), line.constData());
        }
        QVERIFY(lines > 10);
    }
};

int main(int argc, char** argv) {
    QTemporaryDir dir;
    // A private X display: only the xcb platform starts the desktop's opener.
    QProcess xvfb;
    xvfb.start("Xvfb", {"-displayfd", "1", "-noreset", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
    if (!xvfb.waitForReadyRead(20000)) {
        fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    qputenv("DISPLAY", ":" + xvfb.readLine().trimmed());
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("QT_XCB_NO_MITSHM");
    qputenv("TV_GIVEN", "by the desktop");
    qunsetenv("BROWSER");
    qunsetenv("DEFAULT_BROWSER");
    QFile opener(dir.filePath("xdg-open"));
    if (!opener.open(QIODevice::WriteOnly) || opener.write(FakeOpener) < 0) return 1;
    opener.close();
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(dir.path()) + ":" + qgetenv("PATH"));

    // As the program starts.
    vb::UseSocketImageTransfer();
    vb::SetForOwnStartup("TV_GIVEN", "by us");
    int result;
    {
        QApplication app(argc, argv);
        vb::ForgetOwnSettings();
        TestShell test;
        test.folder = dir.path();
        result = QTest::qExec(&test, argc, argv);
    }
    xvfb.terminate();
    xvfb.waitForFinished();
    return result;
}

#include "tst_shell.moc"
