// The settings file: both readers on the same bytes, the writer's exact bytes, the text
// encodings of the password, and names that are not plain files.

#include "Settings.h"
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Settings;

namespace {

QString Describe(const OptionsSettings& s) {
    return QStringLiteral("%1|%2%3%4|%5")
        .arg(s.Password)
        .arg(s.AllowQuit)
        .arg(s.PlaySound)
        .arg(s.AutoHide)
        .arg(QStringList{"fast", "medium", "slow"}.value(s.SpeedIndex, "?"));
}

QString Describe(const StartupSettings& s) {
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(s.Parental_Password)
        .arg(s.QuitLocked ? "locked" : "free")
        .arg(s.Play_Sound ? "sound" : "quiet")
        .arg(s.AutoHideFunctions ? "hide" : "show")
        .arg(double(s.BubbleSpeed));
}

QByteArray File(const char* l2, const char* l3, const char* l4, const char* l5) {
    return QByteArray("pw\r\n") + l2 + "\r\n" + l3 + "\r\n" + l4 + "\r\n" + l5 + "\r\n";
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Runs `probe` in a child process and gives its exit code, or -1 when it has not ended
// within the deadline (it is then killed): a read that blocks fails instead of hanging.
int InChildWithin(int ms, const std::function<int()>& probe) {
    const pid_t pid = fork();
    if (pid == 0) _exit(probe());
    if (pid < 0) return -2;
    QDeadlineTimer deadline(ms);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (deadline.hasExpired()) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        QThread::msleep(5);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

// From now on this process may map at most `bytes` more memory.
void BoundAddressSpace(rlim_t bytes) {
    long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    const rlimit limit{rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + bytes, RLIM_INFINITY};
    if (pages > 0) setrlimit(RLIMIT_AS, &limit);
}

const QByteArray Rest = "\r\n 0 \r\n 1 \r\n 0 \r\n4\r\n";

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    // Each row: the file, then what the options window's reader makes of it (ok, and the
    // controls as far as it got, starting from the initial states ""|010|medium), then the
    // start-up reader (ok, fields as far as it got, starting from the defaults "|locked|
    // quiet|show|0").
    void readers_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("strictOk");
        QTest::addColumn<QString>("strict");
        QTest::addColumn<bool>("lenientOk");
        QTest::addColumn<QString>("lenient");

        QTest::newRow("as written") << QByteArray("pw\r\n 1 \r\n 0 \r\n 1 \r\n10\r\n") << true
                                    << "pw|101|slow" << true << "pw|free|quiet|hide|10";
        QTest::newRow("LF ends") << QByteArray("pw\n 0 \n 1 \n 0 \n2\n") << true << "pw|010|fast"
                                 << true << "pw|locked|sound|show|2";
        QTest::newRow("CR ends, last unended")
            << QByteArray("pw\r0\r1\r0\r4") << true << "pw|010|medium" << true
            << "pw|locked|sound|show|4";
        QTest::newRow("sixth line ignored")
            << File("0", "1", "0", "4") + "rubbish\r\n"
            << true << "pw|010|medium" << true << "pw|locked|sound|show|4";
        QTest::newRow("1.9 rounds down to 1") << File("1.9", "1.9", "0", "4") << true
                                              << "pw|110|medium" << true << "pw|free|sound|show|4";
        QTest::newRow("2 greyed") << File("0", "2", "0", "4") << true << "pw|020|medium" << true
                                  << "pw|locked|sound|show|4";
        QTest::newRow("blanks, tab, sign, exponent")
            << File("\t+1 ", " 1e0", "0.5E+0", " 4 ") << true << "pw|110|medium" << true
            << "pw|free|sound|show|4";
        QTest::newRow("3 on line 2") << File("3", "1", "0", "4") << false << "pw|010|medium" << true
                                     << "pw|locked|sound|show|4";
        QTest::newRow("-1 on line 4") << File("1", "0", "-1", "4") << false << "pw|100|medium"
                                      << true << "pw|free|quiet|hide|4";
        QTest::newRow("word on line 3") << File("1", "yes", "0", "4") << false << "pw|110|medium"
                                        << false << "pw|free|quiet|show|0";
        QTest::newRow("empty line 2") << File("", "1", "0", "4") << false << "pw|010|medium"
                                      << false << "pw|locked|quiet|show|0";
        QTest::newRow("3.5 rounds to 4") << File("0", "1", "0", "3.5") << true << "pw|010|medium"
                                         << true << "pw|locked|sound|show|3";
        QTest::newRow("2.5 rounds to 2") << File("0", "1", "0", "2.5") << true << "pw|010|fast"
                                         << true << "pw|locked|sound|show|2";
        QTest::newRow("4.5 rounds to 4") << File("0", "1", "0", "4.5") << true << "pw|010|medium"
                                         << true << "pw|locked|sound|show|4";
        QTest::newRow("' 10 ' slow") << File("0", "1", "0", " 10 ") << true << "pw|010|slow" << true
                                     << "pw|locked|sound|show|10";
        QTest::newRow("7 on line 5") << File("1", "0", "1", "7") << false << "pw|101|medium" << true
                                     << "pw|free|quiet|hide|7";
        QTest::newRow("four lines") << QByteArray("pw\r\n1\r\n0\r\n1\r\n") << false
                                    << "pw|101|medium" << false << "pw|free|quiet|hide|0";
        QTest::newRow("overflowing number") << File("1e400", "1", "0", "4") << false
                                            << "pw|010|medium" << false << "pw|locked|quiet|show|0";
        QTest::newRow("huge line 2")
            << File(QByteArray(8 << 20, '9').constData(), "1", "0", "4") << false << "pw|010|medium"
            << false << "pw|locked|quiet|show|0";
        QTest::newRow("invalid UTF-8 on line 3")
            << File("1", "\xff\xfe", "0", "4") << false << "pw|110|medium" << false
            << "pw|free|quiet|show|0";
        QTest::newRow("NUL on line 2") << QByteArray("pw\r\n1\0\r\n1\r\n0\r\n4\r\n", 17) << false
                                       << "pw|010|medium" << false << "pw|locked|quiet|show|0";
        QTest::newRow("Latin-1 password") << QByteArray("p\xe9\xff\r\n0\r\n1\r\n0\r\n4\r\n") << true
                                          << QString::fromLatin1("p\xe9\xff|010|medium") << true
                                          << QString::fromLatin1("p\xe9\xff|locked|sound|show|4");
    }
    void readers() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, strictOk);
        QFETCH(QString, strict);
        QFETCH(bool, lenientOk);
        QFETCH(QString, lenient);
        QTemporaryDir dir;
        const QString path = dir.filePath("Settings.txt");
        WriteFile(path, bytes);

        OptionsSettings o;
        QCOMPARE(ReadOptionsSettings(path, o), strictOk);
        QCOMPARE(Describe(o), strict);
        StartupSettings s;
        QCOMPARE(ReadStartupSettings(path, s), lenientOk);
        QCOMPARE(Describe(s), lenient);
    }

    void writer_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("quit");
        QTest::addColumn<int>("sound");
        QTest::addColumn<int>("hide");
        QTest::addColumn<int>("speed");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("initial states")
            << "pw" << 0 << 1 << 0 << 1 << QByteArray("pw\r\n 0 \r\n 1 \r\n 0 \r\n4\r\n");
        QTest::newRow("greyed kept, slow")
            << "pw" << 2 << 0 << 2 << 2 << QByteArray("pw\r\n 2 \r\n 0 \r\n 2 \r\n10\r\n");
        QTest::newRow("Latin-1 password") << QString::fromLatin1("caf\xe9") << 0 << 0 << 0 << 1
                                          << QByteArray("caf\xe9\r\n 0 \r\n 0 \r\n 0 \r\n4\r\n");
    }
    void writer() {
        QFETCH(QString, password);
        QFETCH(int, quit);
        QFETCH(int, sound);
        QFETCH(int, hide);
        QFETCH(int, speed);
        QFETCH(QByteArray, bytes);
        OptionsSettings in;
        in.Password = password;
        in.AllowQuit = int16_t(quit);
        in.PlaySound = int16_t(sound);
        in.AutoHide = int16_t(hide);
        in.SpeedIndex = int16_t(speed);
        QCOMPARE(FormatSettings(in), bytes);

        // What is written reads back the same.
        QTemporaryDir dir;
        const QString path = dir.filePath("Settings.txt");
        QCOMPARE(WriteSettings(path, bytes), WriteResult::Written);
        QCOMPARE(ReadFile(path), bytes);
        OptionsSettings back;
        QVERIFY(ReadOptionsSettings(path, back));
        QCOMPARE(Describe(back), Describe(in));
    }

    // Line 1 in every encoding a parent's file may come in: the password both readers
    // give, and the file the options window writes back when nothing is changed.
    void passwordEncodings_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("rewritten"); // line 1 written back
        const auto u = [](const char* s) { return QString::fromUtf8(s); };
        const auto same = [](const char* s) { return QByteArray(s); };
        QTest::newRow("ASCII") << same("secret") << "secret" << same("secret");
        QTest::newRow("Latin-1") << same("caf\xe9 na\xefve \xff") << u("café naïve ÿ")
                                 << same("caf\xe9 na\xefve \xff");
        QTest::newRow("UTF-8 Cyrillic") << same("пароль") << u("пароль") << same("пароль");
        QTest::newRow("UTF-8 Chinese") << same("密码") << u("密码") << same("密码");
        QTest::newRow("UTF-8 Japanese")
            << same("パスワード") << u("パスワード") << same("パスワード");
        QTest::newRow("UTF-8 emoji")
            << same("\xf0\x9f\x90\xbb\xf0\x9f\x8e\x88") << u("\xf0\x9f\x90\xbb\xf0\x9f\x8e\x88")
            << same("\xf0\x9f\x90\xbb\xf0\x9f\x8e\x88");
        // Characters that Latin-1 holds are written back in it.
        QTest::newRow("UTF-8 within Latin-1")
            << same("caf\xc3\xa9") << u("café") << same("caf\xe9");
        QTest::newRow("mark, ASCII") << same("\xef\xbb\xbfsecret") << "secret" << same("secret");
        QTest::newRow("mark, Cyrillic")
            << same("\xef\xbb\xbfпароль") << u("пароль") << same("пароль");
        QTest::newRow("mark, Latin-1 after it")
            << same("\xef\xbb\xbf\xe9t\xe9") << u("été") << same("\xe9t\xe9");
        QTest::newRow("mark alone") << same("\xef\xbb\xbf") << "" << same("");
        QTest::newRow("two marks")
            << same("\xef\xbb\xbf\xef\xbb\xbfpw") << QChar(0xFEFF) + QString("pw")
            << same("\xef\xbb\xbf\xef\xbb\xbfpw");
        // Latin-1 that is also valid UTF-8 is read as UTF-8.
        QTest::newRow("Latin-1 looking like UTF-8") << same("\xc3\xa9") << u("é") << same("\xe9");
        QTest::newRow("overlong form is Windows-1252")
            << same("\xc0\xaf") << QString::fromLatin1("\xc0\xaf") << same("\xc0\xaf");
        QTest::newRow("encoded surrogate is Windows-1252")
            << same("\xed\xa0\x80") << u("í\xc2\xa0€") << same("\xed\xa0\x80");
        QTest::newRow("cut sequence is Windows-1252")
            << same("ab\xe2\x82") << u("abâ‚") << same("ab\xe2\x82");
        // The five bytes Windows-1252 leaves undefined come back as they were.
        QTest::newRow("Windows-1252 punctuation")
            << same("\x80 \x96 \x91\x92 \x93\x94 \x8c\x85\x99 \x81\x8d\x8f\x90\x9d")
            << u("€ – ‘’ “” Œ…™ \xc2\x81\xc2\x8d\xc2\x8f\xc2\x90\xc2\x9d")
            << same("\x80 \x96 \x91\x92 \x93\x94 \x8c\x85\x99 \x81\x8d\x8f\x90\x9d");
    }
    void passwordEncodings() {
        QFETCH(QByteArray, line);
        QFETCH(QString, password);
        QFETCH(QByteArray, rewritten);
        QTemporaryDir dir;
        const QString path = dir.filePath("Settings.txt");
        WriteFile(path, line + Rest);
        OptionsSettings o;
        QVERIFY(ReadOptionsSettings(path, o));
        QCOMPARE(o.Password, password);
        StartupSettings s;
        QVERIFY(ReadStartupSettings(path, s));
        QCOMPARE(s.Parental_Password, password);
        QCOMPARE(FormatSettings(o), rewritten + Rest);
    }

    // Whatever a parent types is written so that both readers give it back whole.
    void passwordsReadBack_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("line"); // line 1 as written
        const auto u = [](const char* s) { return QString::fromUtf8(s); };
        QTest::newRow("ASCII") << "secret" << QByteArray("secret");
        QTest::newRow("one blank") << " " << QByteArray(" ");
        QTest::newRow("Latin-1") << u("Grüße ÿ")
                                 << QByteArray("Gr\xfc\xdf"
                                               "e \xff");
        // Byte 0x85 is "…" in Windows-1252.
        QTest::newRow("next line (U+0085)") << u("a\xc2\x85"
                                                 "b")
                                            << QByteArray("a\xc2\x85"
                                                          "b");
        QTest::newRow("Cyrillic") << u("пароль") << QByteArray("пароль");
        QTest::newRow("Chinese") << u("密码123") << QByteArray("密码123");
        QTest::newRow("Japanese") << u("ひみつ") << QByteArray("ひみつ");
        QTest::newRow("emoji") << u("\xf0\x9f\xa6\x84") << QByteArray("\xf0\x9f\xa6\x84");
        QTest::newRow("Windows-1252 with the euro") << u("café“€”")
                                                    << QByteArray("caf\xe9\x93\x80\x94");
        // Its Latin-1 bytes would read as UTF-8 "é", or lose a leading mark.
        QTest::newRow("Latin-1 looking like UTF-8") << u("Ã©") << QByteArray("Ã©");
        QTest::newRow("Latin-1 starting like a mark")
            << QString::fromLatin1("\xef\xbb\xbf\xff") << QByteArray("ï»¿ÿ");
        QTest::newRow("starts with U+FEFF")
            << QChar(0xFEFF) + QString("pw") << QByteArray("\xef\xbb\xbf\xef\xbb\xbfpw");
    }
    void passwordsReadBack() {
        QFETCH(QString, password);
        QFETCH(QByteArray, line);
        QVERIFY(IsPasswordText(password));
        OptionsSettings in;
        in.Password = password;
        QTemporaryDir dir;
        const QString path = dir.filePath("Settings.txt");
        QCOMPARE(WriteSettings(path, FormatSettings(in)), WriteResult::Written);
        QCOMPARE(ReadFile(path), line + Rest);
        OptionsSettings o;
        QVERIFY(ReadOptionsSettings(path, o));
        QCOMPARE(o.Password, password);
        StartupSettings s;
        QVERIFY(ReadStartupSettings(path, s));
        QCOMPARE(s.Parental_Password, password);
    }

    void passwordText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("storable");
        QTest::newRow("emoji pair") << QString::fromUtf8("a\xf0\x9f\xa6\x84") << true;
        QTest::newRow("line feed") << "a\nb" << false;
        QTest::newRow("carriage return") << "a\r" << false;
        QTest::newRow("lone high half") << QString(QChar(0xD83E)) << false;
        QTest::newRow("lone low half") << QString(QChar(0xDD84)) + "a" << false;
        QTest::newRow("halves swapped") << QString(QChar(0xDD84)) + QChar(0xD83E) << false;
    }
    void passwordText() {
        QFETCH(QString, text);
        QFETCH(bool, storable);
        QCOMPARE(IsPasswordText(text), storable);
    }

    // Names that are not plain files: nothing waits on them, a folder is not found, and
    // the writer puts a settings file in their place where the folder lets it.
    void notPlainFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("pipe") << "pipe" << true << false << true;
        // The folder takes no new file: the pipe itself is not written to either.
        QTest::newRow("pipe in a closed folder") << "closed pipe" << true << false << false;
        QTest::newRow("link to /dev/zero, refused unread") << "device" << true << false << true;
        QTest::newRow("link to a settings file") << "link" << true << true << true;
        QTest::newRow("broken link") << "broken link" << false << false << true;
        QTest::newRow("folder") << "folder" << false << false << false;
    }
    void notPlainFiles() {
        QFETCH(QString, kind);
        QFETCH(bool, found);
        QFETCH(bool, readable);
        QFETCH(bool, replaced);
        QTemporaryDir dir;
        const QString path = dir.filePath("Settings.txt");
        const QByteArray good = "pw" + Rest;
        if (kind.endsWith("pipe")) QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0666), 0);
        if (kind == "closed pipe")
            QCOMPARE(chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
        if (kind == "device") QVERIFY(QFile::link("/dev/zero", path));
        if (kind == "link") {
            WriteFile(dir.filePath("real.txt"), good);
            QVERIFY(QFile::link(dir.filePath("real.txt"), path));
        }
        if (kind == "broken link") QVERIFY(QFile::link(dir.filePath("gone.txt"), path));
        if (kind == "folder") QVERIFY(QDir(dir.path()).mkdir("Settings.txt"));
        QCOMPARE(SettingsFileFound(path), found);

        // Exit code: bit 0 the options reader's result, bit 1 the start-up reader's. Neither
        // may read more than a settings file holds: what is not a regular file stays unread
        // (a device would otherwise give megabytes before a line grows too long).
        const int read = InChildWithin(10000, [&] {
            BoundAddressSpace(16 << 20);
            OptionsSettings o;
            StartupSettings s;
            return (ReadOptionsSettings(path, o) ? 1 : 0) | (ReadStartupSettings(path, s) ? 2 : 0);
        });
        QCOMPARE(read, readable ? 3 : 0);
        const int written = InChildWithin(10000, [&] {
            // Root writes in any folder; the ordinary user 65534 is refused as the parents are.
            if (kind == "closed pipe" && geteuid() == 0) {
                setfsgid(65534);
                setfsuid(65534);
            }
            return WriteSettings(path, good) == WriteResult::Written ? 1 : 0;
        });
        QCOMPARE(written, replaced ? 1 : 0);
        QCOMPARE(chmod(QFile::encodeName(dir.path()).constData(), 0700), 0);
        if (replaced) QCOMPARE(ReadFile(path), good);
    }

    void readOnlyFileIsReplacedAndWritable() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Settings.txt");
        WriteFile(path, "old\r\n");
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        QCOMPARE(WriteSettings(path, "new\r\n"), WriteResult::Written);
        QCOMPARE(ReadFile(path), QByteArray("new\r\n"));
        QVERIFY(QFile::permissions(path) & QFileDevice::WriteOwner);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Settings.txt"});
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
