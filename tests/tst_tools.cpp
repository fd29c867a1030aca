// The tool buttons as a radio group: the tool, its brush, the click sound, and what the
// black marker hides and disables.

#include "LoadedMain.h"
#include "frmMessage.h"
#include "frmParental.h"
#include "pButton.h"

#include <QDir>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

using testing::LoadedMain;

namespace {

// What the open command leaves: every tool button and the crazy-colours button enabled.
void enableButtons(FrmMain& m) {
    for (pButton* b : m.pTool) b->setEnabled(true);
    m.c[3]->setEnabled(true);
}

void clickTool(FrmMain& m, int i) {
    testing::click(m.pTool[i]->P, QPoint(10, 10));
}

// Gives the password and confirms the options window (password "pw"), as the parents do.
class ConfirmOptions : public QObject {
public:
    ConfirmOptions() {
        connect(&timer_, &QTimer::timeout, this, [] {
            if (Forms::frmMessage().IsLoaded() && Forms::frmMessage().Visible()) {
                Forms::frmMessage().Text1->setText(QStringLiteral("pw"));
                Forms::frmMessage().cOut1_click();
            } else if (Forms::frmParental().IsLoaded() && Forms::frmParental().Visible()) {
                Forms::frmParental().Text1->setText(QStringLiteral("pw"));
                Forms::frmParental().Lab_Click(0);
            }
        });
        timer_.start(10);
    }

private:
    QTimer timer_;
};

QString addPicture(LoadedMain& w, const QString& name) {
    QDir(w.folder.path()).mkpath(QStringLiteral("books/farm"));
    const QString path = w.folder.file(QStringLiteral("books/farm/") + name);
    QImage img(120, 80, QImage::Format_RGB32);
    img.fill(Qt::white);
    if (!img.save(path, "BMP")) qFatal("cannot write a picture");
    return path;
}

} // namespace

class TestTools : public QObject {
    Q_OBJECT
private slots:
    void choosing_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QSize>("brush"); // none for the marker
        QTest::newRow("crayon to paintbrush") << 0 << 1 << QSize(112, 106);
        QTest::newRow("paintbrush to pencil") << 1 << 2 << QSize(8, 8);
        QTest::newRow("pencil to crayon") << 2 << 0 << QSize(38, 34);
        QTest::newRow("the crayon again") << 0 << 0 << QSize(38, 34);
        QTest::newRow("crayon to marker") << 0 << 3 << QSize();
        QTest::newRow("marker to crayon") << 3 << 0 << QSize(38, 34);
        QTest::newRow("the marker again") << 3 << 3 << QSize();
    }
    void choosing() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QSize, brush);
        LoadedMain w;
        FrmMain& m = w.m;
        enableButtons(m);
        m.pTool_MouseUp(int16_t(from));
        const cNDib* before = m.BrushDib.get();
        w.sounds.played.clear();

        clickTool(m, to);

        QCOMPARE(w.sounds.played.size(), 1);
        QVERIFY2(QRegularExpression("^(B[0-5]|MESSAGE[0-2])$").match(w.sounds.played[0]).hasMatch(),
                 qPrintable(w.sounds.played[0]));
        QCOMPARE(m.Tool, to);
        for (int i = 0; i < 4; ++i) QCOMPARE(m.pTool[i]->Pressed(), i == to);
        if (brush.isValid()) {
            QVERIFY(m.BrushDib.get() != before); // reloaded, even for the same tool
            QCOMPARE(QSize(m.BrushDib->w(), m.BrushDib->h()), brush);
        } else {
            QCOMPARE(m.BrushDib.get(), before); // the marker keeps whatever brush there was
        }
        QCOMPARE(m.Pc->Visible(), to != 3);
        QCOMPARE(m.c[3]->Enabled(), to != 3);
    }

    // The crazy-colours button comes back from the marker with the face of its state.
    void crazyColoursComeBackAsTheyWere_data() {
        QTest::addColumn<bool>("crazy");
        QTest::newRow("crazy colours on") << true;
        QTest::newRow("crazy colours off") << false;
    }
    void crazyColoursComeBackAsTheyWere() {
        QFETCH(bool, crazy);
        LoadedMain w;
        FrmMain& m = w.m;
        enableButtons(m);
        m.c[3]->setPressed(crazy);
        const QImage face = m.c[3]->P->Image().image();

        clickTool(m, 3);
        QVERIFY(!m.c[3]->Enabled());
        QVERIFY(m.c[3]->P->Image().image() != face); // greyed

        clickTool(m, 1);
        QVERIFY(m.c[3]->Enabled());
        QCOMPARE(m.c[3]->Pressed(), crazy);
        QCOMPARE(m.c[3]->P->Image().image(), face);
    }

    // Confirmed options start from the crayon; after another picture opens, the crayon is
    // the one tool that is pressed and looks it.
    void optionsLeaveOnlyTheCrayonPressed_data() {
        QTest::addColumn<int>("tool");
        QTest::newRow("crayon") << 0;
        QTest::newRow("paintbrush") << 1;
        QTest::newRow("pencil") << 2;
        QTest::newRow("marker") << 3;
    }
    void optionsLeaveOnlyTheCrayonPressed() {
        QFETCH(int, tool);
        LoadedMain w;
        FrmMain& m = w.m;
        w.chooser.file = addPicture(w, "cat.bmp");
        m.c_click(0);
        QVERIFY(m.P->Visible());
        QImage faces[4]; // as an open leaves them: the crayon pressed, the others up
        for (int i = 0; i < 4; ++i) faces[i] = m.pTool[i]->P->Image().image();
        clickTool(m, tool);
        QCOMPARE(m.Tool, tool);

        ConfirmOptions parents;
        m.pFunc_Click(4);
        QCOMPARE(m.Tool, 0);
        w.chooser.file = addPicture(w, "dog.bmp");
        m.c_click(0);
        QCOMPARE(m.PicturePath, w.chooser.file);

        for (int i = 0; i < 4; ++i) {
            QCOMPARE(m.pTool[i]->Pressed(), i == 0);
            QVERIFY2(m.pTool[i]->P->Image().image() == faces[i], qPrintable(QString::number(i)));
        }
    }
};

QTEST_MAIN(TestTools)
#include "tst_tools.moc"
