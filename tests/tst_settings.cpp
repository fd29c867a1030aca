// The settings file: both readers on the same bytes, and the writer's exact bytes.

#include "Settings.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

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
        QVERIFY(WriteSettings(path, bytes));
        QCOMPARE(ReadFile(path), bytes);
        OptionsSettings back;
        QVERIFY(ReadOptionsSettings(path, back));
        QCOMPARE(Describe(back), Describe(in));
    }

    void readOnlyFileIsReplacedAndWritable() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Settings.txt");
        WriteFile(path, "old\r\n");
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        QVERIFY(WriteSettings(path, "new\r\n"));
        QCOMPARE(ReadFile(path), QByteArray("new\r\n"));
        QVERIFY(QFile::permissions(path) & QFileDevice::WriteOwner);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Settings.txt"});
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
