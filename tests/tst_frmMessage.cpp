// The message window driven with real clicks and keys: its three heights, the password
// check of OK, the result read after the close, and the sounds each path asks for.

#include "FrmMain.h"
#include "Sound.h"
#include "TestSupport.h"
#include "frmMessage.h"
#include "pButton.h"

#include <QClipboard>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString Incorrect = QStringLiteral(
    "The password you entered is incorrect. Please enter the password again or press never "
    "mind to close this window.");

class RecordingOutput : public vb::SoundOutput {
public:
    QStringList log;
    bool IsPlaying() override { return false; }
    void Play(const QUrl& sound) override { log << sound.fileName(); }
    void WaitForEnd(int) override {
        log << (Forms::frmMessage().IsLoaded() ? "wait, window open" : "wait, window closed");
    }
};

void Click(pButton* b) {
    testing::click(b->P, QPoint(4, 4));
}

frmMessage& Prepare(bool passwordVisible, const QString& details = "For the parents") {
    auto& m = Forms::frmMessage();
    m.setPasswordVisible(passwordVisible);
    m.setExtendedInformation(details);
    m.setMessage("For the child");
    return m;
}

// Shows the window and runs the script of steps inside its modal wait. Steps:
// "type X" (keys into the password box), "insert X" (text an input method commits),
// "paste N" (the first N characters of the parents' password through the clipboard),
// "clear", "ok", "enter", "details", "cancel"; checks "h=N" (height in twips),
// "label2=ext|incorrect", "pressed=0|1".
void Run(const QString& script) {
    auto& m = Forms::frmMessage();
    const bool returned =
        testing::whileModal([&] { m.Show(true); },
                            [&] {
                                for (const QString& step : script.split(';', Qt::SkipEmptyParts)) {
                                    if (!m.IsLoaded()) {
                                        QFAIL(qPrintable("window closed before: " + step));
                                    }
                                    if (step.startsWith("type "))
                                        QTest::keyClicks(m.Text1, step.mid(5));
                                    else if (step.startsWith("insert ")) // as an input method
                                        m.Text1->insert(step.mid(7));
                                    else if (step.startsWith("paste ")) {
                                        QGuiApplication::clipboard()->setText(
                                            Forms::FrmMain().Parental_Password.left(
                                                step.mid(6).toInt()));
                                        QTest::keyClick(m.Text1, Qt::Key_V, Qt::ControlModifier);
                                    } else if (step == "clear")
                                        m.Text1->clear();
                                    else if (step == "ok")
                                        Click(m.cOut1);
                                    else if (step == "enter")
                                        QTest::keyClick(m.Text1, Qt::Key_Return);
                                    else if (step == "details")
                                        Click(m.Check1);
                                    else if (step == "cancel")
                                        Click(m.cOut2);
                                    else if (step.startsWith("h="))
                                        QCOMPARE(m.Height(), step.mid(2).toFloat());
                                    else if (step == "label2=ext")
                                        QCOMPARE(m.Label2->Caption(), QString("For the parents"));
                                    else if (step == "label2=incorrect")
                                        QCOMPARE(m.Label2->Caption(), Incorrect);
                                    else if (step.startsWith("pressed="))
                                        QCOMPARE(m.Check1->Pressed(), step.endsWith('1'));
                                    else
                                        QFAIL(qPrintable("unknown step " + step));
                                }
                            });
    QVERIFY2(returned, "the window did not close");
}

} // namespace

class TestFrmMessage : public QObject {
    Q_OBJECT
private slots:
    void init() {
        Forms::FrmMain().Parental_Password = "secret";
        Forms::FrmMain().Play_Sound = false;
    }

    void passwordProtocol_data() {
        QTest::addColumn<bool>("passwordVisible");
        QTest::addColumn<QString>("parental");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("result");
        QTest::newRow("no password asked: OK closes whatever is typed") << false << "secret"
                                                                        << "h=2400;type wrong;ok"
                                                                        << "Ok";
        QTest::newRow("no password asked, details open") << false << "secret"
                                                         << "details;h=3705;ok"
                                                         << "Ok";
        QTest::newRow("correct while collapsed") << true << "secret"
                                                 << "type secret;ok"
                                                 << "Ok";
        QTest::newRow("correct typed with details open, closed again")
            << true << "secret"
            << "details;h=4170;type secret;details;h=2400;ok"
            << "Ok";
        QTest::newRow("first wrong OK opens the row, the next says incorrect")
            << true << "secret"
            << "type wrong;ok;h=4170;pressed=1;label2=ext;ok;h=4170;label2=incorrect;cancel"
            << "Cancel";
        QTest::newRow("row already open: incorrect at once")
            << true << "secret"
            << "details;type wrong;ok;label2=incorrect;h=4170;cancel"
            << "Cancel";
        QTest::newRow("collapse after a wrong try, next wrong OK opens again")
            << true << "secret"
            << "ok;h=4170;details;h=2400;pressed=0;ok;h=4170;label2=ext;cancel"
            << "Cancel";
        QTest::newRow("wrong, then right") << true << "secret"
                                           << "type nope;ok;ok;clear;type secret;ok"
                                           << "Ok";
        QTest::newRow("letter case refused") << true << "secret"
                                             << "type Secret;ok;ok;label2=incorrect;cancel"
                                             << "Cancel";
        QTest::newRow("trailing blank refused") << true << "secret"
                                                << "type secret ;ok;ok;label2=incorrect;cancel"
                                                << "Cancel";
        QTest::newRow("empty box refused") << true << "secret"
                                           << "ok;h=4170;cancel"
                                           << "Cancel";
        QTest::newRow("empty box accepted for an empty password") << true << ""
                                                                  << "ok"
                                                                  << "Ok";
        QTest::newRow("password beyond 32,767 characters, pasted and typed")
            << true << QString("long pass-word ").repeated(3000) + "!"
            << "paste 45000;type !;ok"
            << "Ok";
        QTest::newRow("é typed as e and an accent, stored as one")
            << true << QString::fromUtf8("caf\xc3\xa9") << QString::fromUtf8("insert cafe\xcc\x81;ok")
            << "Ok";
        QTest::newRow("é typed as one, stored as e and an accent")
            << true << QString::fromUtf8("cafe\xcc\x81") << QString::fromUtf8("insert caf\xc3\xa9;ok")
            << "Ok";
        QTest::newRow("Enter in the box is OK") << true << "secret"
                                                << "type secret;enter"
                                                << "Ok";
        QTest::newRow("Enter with a wrong password opens the row")
            << true << "secret"
            << "type x;enter;h=4170;enter;label2=incorrect;cancel"
            << "Cancel";
    }
    void passwordProtocol() {
        QFETCH(bool, passwordVisible);
        QFETCH(QString, parental);
        QFETCH(QString, script);
        QFETCH(QString, result);
        Forms::FrmMain().Parental_Password = parental;
        Prepare(passwordVisible);
        Run(script);
        QCOMPARE(Forms::frmMessage().ButtonPressed, result);
        // Reading the result does not load the window again.
        QVERIFY(!Forms::frmMessage().IsLoaded());
    }

    // No parents' text hides the details button; a cancel switched off comes back with
    // the next showing, whose caller does not set it.
    void designValuesAtEachLoad() {
        auto& m = Prepare(false, "");
        m.setShowCancel(false);
        testing::whileModal([&] { m.Show(true); },
                            [&] {
                                QVERIFY(!m.Check1->isVisible());
                                QVERIFY(!m.cOut2->isVisible());
                                QCOMPARE(m.Label1->Caption(), QString("For the child"));
                                Click(m.cOut1);
                            });
        Prepare(false);
        QVERIFY(m.Check1->isVisibleTo(m.Me()) && m.cOut2->isVisibleTo(m.Me()));
        // OK stays inside the two-pixel raised frame.
        QVERIFY(m.cOut1->geometry().right() <= m.Me()->width() - 3);
        Run("h=2400;cancel");
    }

    // The flag outlives the window: a caller that does not set it inherits the last one.
    void passwordFlagKeptAcrossShowings() {
        Prepare(true);
        Run("cancel");
        auto& m = Forms::frmMessage();
        m.setExtendedInformation("For the parents");
        m.setMessage("next caller");
        Run("ok;h=4170;cancel");
        QCOMPARE(m.ButtonPressed, QString("Cancel"));
    }

    void sounds_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expect"); // the log after the opening MESSAGEk
        QTest::newRow("OK plays to its end before the close") << true << "ok"
                                                              << "OK.wav|wait, window open";
        QTest::newRow("cancel") << true << "cancel"
                                << "CANCEL";
        QTest::newRow("wrong password plays nothing more") << true << "ok;cancel"
                                                           << "CANCEL";
        QTest::newRow("sounds off: OK") << false << "ok"
                                        << "";
        QTest::newRow("sounds off: cancel") << false << "cancel"
                                            << "";
    }
    void sounds() {
        QFETCH(bool, on);
        QFETCH(QString, script);
        QFETCH(QString, expect);
        RecordingOutput out;
        vb::SetSoundOutput(&out);
        Forms::FrmMain().Play_Sound = on;
        Prepare(script == "ok;cancel");
        Run(script);
        vb::SetSoundOutput(nullptr);
        if (!on) {
            QCOMPARE(out.log, QStringList());
            return;
        }
        QVERIFY(!out.log.isEmpty());
        QVERIFY2(QRegularExpression("^MESSAGE[0-2]\\.wav$").match(out.log.takeFirst()).hasMatch(),
                 "no opening sound");
        if (expect == "CANCEL") {
            QCOMPARE(out.log.size(), 1);
            QVERIFY2(QRegularExpression("^CANCEL[0-3]\\.wav$").match(out.log[0]).hasMatch(),
                     qPrintable(out.log[0]));
        } else {
            QCOMPARE(out.log.join('|'), expect);
        }
    }

    // Every random choice stays among the sounds there are, and each is used.
    void soundChoicesCoverTheirRange() {
        RecordingOutput out;
        vb::SetSoundOutput(&out);
        Forms::FrmMain().Play_Sound = true;
        QSet<QString> heard;
        for (int i = 0; i < 60; ++i) {
            Prepare(false);
            Run("cancel");
        }
        vb::SetSoundOutput(nullptr);
        for (const QString& s : out.log) heard.insert(s);
        QCOMPARE(heard,
                 (QSet<QString>{"MESSAGE0.wav", "MESSAGE1.wav", "MESSAGE2.wav", "CANCEL0.wav",
                                "CANCEL1.wav", "CANCEL2.wav", "CANCEL3.wav"}));
    }
};

QTEST_MAIN(TestFrmMessage)
#include "tst_frmMessage.moc"
