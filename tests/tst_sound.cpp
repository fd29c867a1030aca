// The sound layer: what each flag combination asks of the output, and that the real
// output neither hangs nor waits where there is no audio device.

#include "Shell.h"
#include "Sound.h"

#include <QAudioDevice>
#include <QDir>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QtTest>

using namespace vb;

namespace {

// Records what would have played; "playing" is whatever the test says.
class RecordingOutput : public SoundOutput {
public:
    QStringList log;
    bool playing = false;
    bool IsPlaying() override { return playing; }
    void Play(const QUrl& sound) override { log << "play " + sound.toString(); }
    void WaitForEnd(int timeoutMs) override { log << QStringLiteral("wait %1").arg(timeoutMs); }
};

} // namespace

class TestSound : public QObject {
    Q_OBJECT
private slots:
    void flags_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("flags");
        QTest::addColumn<bool>("othersPlaying");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QStringList>("log");
        const QString ok = "play qrc:/sounds/OK.wav";
        const QString pop = "play qrc:/sounds/POP1.wav";
        const QString wait = QStringLiteral("wait %1").arg(SoundWaitLimitMs);
        QTest::newRow("async starts, does not wait")
            << "OK" << 0x40007u << false << true << QStringList{ok};
        QTest::newRow("async cuts off a playing sound")
            << "OK" << 0x40007u << true << true << QStringList{ok};
        QTest::newRow("sync waits for the end")
            << "OK" << 0x40006u << false << true << QStringList{ok, wait};
        QTest::newRow("nostop while quiet plays")
            << "POP1" << 0x40017u << false << true << QStringList{pop};
        QTest::newRow("nostop while playing plays nothing")
            << "POP1" << 0x40017u << true << false << QStringList{};
        QTest::newRow("unknown name plays nothing")
            << "MESSAGE9" << 0x40007u << false << false << QStringList{};
        QTest::newRow("unknown name, sync, no wait")
            << "NOPE" << 0x40006u << false << false << QStringList{};
        QTest::newRow("empty name") << "" << 0x40007u << false << false << QStringList{};
    }
    void flags() {
        QFETCH(QString, name);
        QFETCH(uint, flags);
        QFETCH(bool, othersPlaying);
        QFETCH(bool, started);
        QFETCH(QStringList, log);
        RecordingOutput out;
        out.playing = othersPlaying;
        SetSoundOutput(&out);
        QCOMPARE(PlaySoundA(name, flags), started);
        SetSoundOutput(nullptr);
        QCOMPARE(out.log, log);
    }

    // The program's own output on a machine without an audio server: every sound of the
    // program returns at once, synchronous ones included, and none blocks the next.
    void realOutputWithoutAudioDoesNotWait() {
        if (!QMediaDevices::audioOutputs().isEmpty()) QSKIP("this machine has an audio output");
        QElapsedTimer clock;
        clock.start();
        for (const char* name : {"OK", "MESSAGE0", "CANCEL3", "POP0"}) {
            PlaySoundA(QString::fromLatin1(name), SND_RESOURCE | SND_NODEFAULT);
            PlaySoundA(QString::fromLatin1(name), SND_RESOURCE | SND_NODEFAULT | SND_ASYNC);
            PlaySoundA(QString::fromLatin1(name),
                       SND_RESOURCE | SND_NODEFAULT | SND_ASYNC | SND_NOSTOP);
        }
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    }

    void shellResults_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("openerSucceeds");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("opened");
        QTest::newRow("folder opened") << "folder" << true << 42 << "folder";
        QTest::newRow("nothing opens it") << "folder" << false << 31 << "folder";
        QTest::newRow("missing file") << "missing" << true << 2 << "";
        QTest::newRow("web address") << "https://example.org/thetintavale/" << true << 42
                                     << "https://example.org/thetintavale/";
    }
    void shellResults() {
        QFETCH(QString, file);
        QFETCH(bool, openerSucceeds);
        QFETCH(int, result);
        QFETCH(QString, opened);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        QStringList seen;
        SetShellOpener([&](const QUrl& url) {
            seen << url.toString();
            return openerSucceeds;
        });
        const QString target = file.contains(':') ? file : dir.filePath(file);
        QCOMPARE(ShellExecuteA(nullptr, "open", target, "", "", SW_SHOW), result);
        SetShellOpener(nullptr);
        const QString expected = opened.isEmpty() ? QString()
                                 : opened.contains(':')
                                     ? opened
                                     : QUrl::fromLocalFile(dir.filePath(opened)).toString();
        QCOMPARE(seen.value(0), expected);
        QCOMPARE(seen.size(), opened.isEmpty() ? 0 : 1);
    }
};

QTEST_MAIN(TestSound)
#include "tst_sound.moc"
