// Programs started through ShellExecuteA on a real X display get the environment the
// program was given, without the settings it made for its own start-up, while those
// settings still hold for its own windows (their images do not go through shared memory).

#include "PictureArea.h"
#include "Shell.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Stands in for the desktop's opener: writes its environment and arguments to a file.
const char* const FakeOpener = "#!/bin/sh\nenv > \"$TV_OPENER_OUT.tmp\"\n"
                               "echo \"ARGS=$*\" >> \"$TV_OPENER_OUT.tmp\"\n"
                               "mv \"$TV_OPENER_OUT.tmp\" \"$TV_OPENER_OUT\"\n";

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
    void startedProgramsGetOurEnvironment_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("the coloured pictures folder") << "folder";
        QTest::newRow("the web site") << "https://example.org/thetintavale/";
    }
    void startedProgramsGetOurEnvironment() {
        QFETCH(QString, target);
        const QString dump = folder + "/opened-" + QString::number(qHash(target));
        qputenv("TV_OPENER_OUT", QFile::encodeName(dump));
        if (target == "folder") target = folder;
        QCOMPARE(vb::ShellExecuteA(nullptr, "open", target, "", "", vb::SW_SHOWMAXIMIZED),
                 vb::SE_SUCCESS);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dump), 10000);
        const QStringList env = EnvironmentOf(dump);
        QVERIFY(env.contains("ARGS=" + (target.contains(':') ? target
                                                             : QUrl::fromLocalFile(target).toString())));
        QVERIFY(!env.join('\n').contains("QT_XCB_NO_MITSHM"));
        // What the program was given passes on untouched, even under a name it would set.
        QVERIFY(env.contains("TV_GIVEN=by the desktop"));
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
