// The colouring window's sound effects (which sound each kind picks, how it treats a
// sound still playing, silence when switched off) and its error message.

#include "LoadedMain.h"
#include "SoundEffects.h"
#include "VbMath.h"
#include "frmMessage.h"
#include "pButton.h"

#include <QRegularExpression>
#include <QtTest>

using namespace vb;
using testing::LoadedMain;
using testing::SoundRecorder;

namespace {
constexpr float Top = 0.99999994f; // the largest draw below 1
constexpr uint32_t Cutting = 0x40007, Polite = 0x40017;
} // namespace

class TestSounds : public QObject {
    Q_OBJECT
private slots:
    void choice_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<float>>("draws");
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("flags");
        QTest::newRow("pop, lowest") << 0 << QList<float>{0} << "POP0" << uint(Polite);
        QTest::newRow("pop, a quarter") << 0 << QList<float>{0.25f} << "POP1" << uint(Polite);
        QTest::newRow("pop, highest") << 0 << QList<float>{Top} << "POP3" << uint(Polite);
        QTest::newRow("click, B family, highest")
            << 1 << QList<float>{0.49999997f, Top} << "B5" << uint(Cutting);
        QTest::newRow("click, message family")
            << 1 << QList<float>{0.5f, 0.34f} << "MESSAGE1" << uint(Cutting);
        QTest::newRow("click, message, highest")
            << 1 << QList<float>{Top, Top} << "MESSAGE2" << uint(Cutting);
        QTest::newRow("bubble, press family")
            << 4 << QList<float>{0.2f, 0.5f} << "PRESS1" << uint(Cutting);
        QTest::newRow("bubble, B family") << 4 << QList<float>{0.7f, 0} << "B0" << uint(Cutting);
        QTest::newRow("new picture, low")
            << 5 << QList<float>{0.49999997f} << "NEW0" << uint(Cutting);
        QTest::newRow("new picture, high") << 5 << QList<float>{0.5f} << "NEW1" << uint(Cutting);
        for (int kind : {2, 3, -1, 6})
            QTest::addRow("kind %d has no sound", kind) << kind << QList<float>{} << "" << 0u;
    }
    void choice() {
        QFETCH(int, kind);
        QFETCH(QList<float>, draws);
        QFETCH(QString, name);
        QFETCH(uint, flags);
        int used = 0;
        const SoundEffect e = ChooseSoundEffect(kind, [&] {
            if (used >= draws.size()) qFatal("more draws than expected");
            return draws[used++];
        });
        QCOMPARE(e.name, name);
        QCOMPARE(e.flags, flags);
        QCOMPARE(used, draws.size());
    }

    // Over many calls each kind reaches every sound of its families and no other; only
    // the pop gives way to a sound that still plays; nothing waits.
    void playing_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("othersPlaying");
        QTest::addColumn<QStringList>("names");
        const QStringList pops{"POP0", "POP1", "POP2", "POP3"};
        const QStringList bs{"B0", "B1", "B2", "B3", "B4", "B5"};
        QTest::newRow("pop") << 0 << false << pops;
        QTest::newRow("pop while a sound plays") << 0 << true << QStringList{};
        QTest::newRow("click cuts a sound off")
            << 1 << true << bs + QStringList{"MESSAGE0", "MESSAGE1", "MESSAGE2"};
        QTest::newRow("bubble click cuts a sound off")
            << 4 << true << QStringList{"PRESS0", "PRESS1"} + bs;
        QTest::newRow("new picture") << 5 << false << QStringList{"NEW0", "NEW1"};
        QTest::newRow("kind 2") << 2 << false << QStringList{};
        QTest::newRow("kind 3") << 3 << false << QStringList{};
    }
    void playing() {
        QFETCH(int, kind);
        QFETCH(bool, othersPlaying);
        QFETCH(QStringList, names);
        SoundRecorder out;
        out.playing = othersPlaying;
        FrmMain& m = Forms::FrmMain();
        m.Play_Sound = true;
        const int calls = 400;
        for (int i = 0; i < calls; ++i) m.PlaySoundEffect(kind);
        QCOMPARE(out.played.size(), names.isEmpty() ? 0 : calls);
        QStringList heard = out.played;
        heard.removeDuplicates();
        heard.sort();
        names.sort();
        QCOMPARE(heard, names);
        QCOMPARE(out.waits, 0);
    }

    void soundOffPlaysNothingButReseeds() {
        SoundRecorder out;
        FrmMain& m = Forms::FrmMain();
        m.Play_Sound = false;
        for (int kind : {0, 1, 4, 5, 2}) {
            SeedRnd(7);
            const float unseeded = Rnd();
            SeedRnd(7);
            m.PlaySoundEffect(kind);
            QVERIFY2(Rnd() != unseeded, qPrintable(QString("kind %1 did not reseed").arg(kind)));
        }
        QVERIFY(out.played.isEmpty());
    }

    void errorMessage_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parents");
        QTest::addColumn<QString>("child");
        QTest::newRow("damaged picture")
            << 0 << "/home/anna/books/farm animals/it's a cow.bmp"
            << "The picture '/home/anna/books/farm animals/it's a cow.bmp' appears to be damaged "
               "or it no longer exists."
            << "Oops, the picture you choose appears to be have something wrong with it, call "
               "someone who can help you fix it!";
        // Too long for the window: its middle gives way, the picture's own name stays.
        QTest::newRow("damaged picture, long path")
            << 0 << "/home/anna/Documents/The Tintavale/books/farm animals/it's a cow.bmp"
            << "The picture '/home/anna/Documents/The Tintavale/books/far…/it's a cow.bmp' "
               "appears to be damaged or it no longer exists."
            << "Oops, the picture you choose appears to be have something wrong with it, call "
               "someone who can help you fix it!";
        QTest::newRow("printing")
            << 2 << ""
            << "Before printing, a temporary file has to be created in the application "
               "directory. This was not possible. Please make sure there is enough space in the "
               "disk and that the disk is not write protected."
            << "Oh no! Your picture could not be printed. Call someone for help!";
    }
    // The texts reach both voices; the password question of an earlier message is not
    // carried over; the bubbles stand still while the message is open and move after.
    void errorMessage() {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QString, parents);
        QFETCH(QString, child);
        LoadedMain w("pw\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n");
        frmMessage& msg = Forms::frmMessage();
        msg.setPasswordVisible(true);
        w.m.Timer1->setEnabled(true);
        bool checked = false;
        const bool closed =
            testing::whileModal([&] { QVERIFY(w.m.ShowErrorMessage(kind, name).isEmpty()); },
                                [&] {
                                    QVERIFY(!w.m.Timer1->Enabled());
                                    QCOMPARE(msg.Label2->Caption(), parents);
                                    QCOMPARE(msg.Label1->Caption(), child);
                                    QVERIFY(msg.cOut2->isVisible()); // the window's own default
                                    checked = true;
                                    // Without a password request OK closes at once.
                                    testing::click(msg.cOut1->P, QPoint(4, 4));
                                });
        QVERIFY2(closed, "OK asked for a password or the message did not close");
        QVERIFY(checked);
        QCOMPARE(msg.ButtonPressed, QString("Ok"));
        QVERIFY(w.m.Timer1->Enabled());
    }
};

QTEST_MAIN(TestSounds)
#include "tst_sounds.moc"
