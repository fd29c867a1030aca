// The colouring window's geometry and the start-up's screen and mask rules.

#include "Layout.h"
#include "PictureArea.h"
#include "StartupRules.h"

#include <QtTest>

namespace {

// The toolbar faces: command buttons, then tool buttons, all 92 high.
LayoutInput toolbar(double windowWidth, double windowHeight) {
    LayoutInput in;
    in.window = QSizeF(windowWidth, windowHeight);
    in.stripHeight = 103;
    const double command[4] = {78, 106, 89, 102}, tools[4] = {95, 86, 77, 99};
    for (int i = 0; i < 4; ++i) {
        in.commandButtons[i] = QSizeF(command[i], 92);
        in.toolButtons[i] = QSizeF(tools[i], 92);
    }
    in.canvas = QSizeF(640, 480);
    for (QSizeF f :
         {QSizeF(22, 22), QSizeF(21, 23), QSizeF(23, 25), QSizeF(12, 21), QSizeF(17, 19)})
        in.functionButtons.push_back(f);
    return in;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void bubblePanelTakesTheRest_data() {
        QTest::addColumn<double>("screenWidth");
        QTest::addColumn<double>("panelLeft");
        QTest::addColumn<double>("panelWidth");
        QTest::newRow("800 wide") << 800.0 << 732.0 << 68.0;
        QTest::newRow("1024 wide") << 1024.0 << 732.0 << 292.0;
    }
    void bubblePanelTakesTheRest() {
        QFETCH(double, screenWidth);
        QFETCH(double, panelLeft);
        QFETCH(double, panelWidth);
        const LayoutResult out = ComputeLayout(toolbar(screenWidth, 600));
        QCOMPARE(out.bubblePanel.left(), panelLeft);
        QCOMPARE(out.bubblePanel.width(), panelWidth);
        QCOMPARE(out.bubblePanel.height(), 103.0);
        QCOMPARE(out.strip.width(), screenWidth);
    }

    void buttonsSitSideBySideCentredInTheStrip() {
        const LayoutResult out = ComputeLayout(toolbar(1024, 768));
        QCOMPARE(out.commandButtons[0].top(), 5.5);
        QCOMPARE(out.commandButtons[1].left(), 78.0);
        QCOMPARE(out.toolButtons[0].left(), 78.0 + 106 + 89 + 102);
        QCOMPARE(out.toolButtons[3].top(), 5.5);
    }

    void hiddenCommandButtonLeavesNoGap() {
        LayoutInput in = toolbar(1024, 768);
        in.commandVisible[3] = false; // the crazy-colours button while the marker is chosen
        const LayoutResult out = ComputeLayout(in);
        QCOMPARE(out.commandButtons[3].left(), 78.0 + 106 + 89);
        QCOMPARE(out.toolButtons[0].left(), 78.0 + 106 + 89);
    }

    void canvasCentredAndCutEquallyWhenTooBig_data() {
        QTest::addColumn<QSizeF>("canvas");
        QTest::addColumn<QPointF>("at");
        QTest::newRow("640x480 in 1024x665") << QSizeF(640, 480) << QPointF(192, 92.5);
        QTest::newRow("larger than the background") << QSizeF(1100, 700) << QPointF(-38, -17.5);
    }
    void canvasCentredAndCutEquallyWhenTooBig() {
        QFETCH(QSizeF, canvas);
        QFETCH(QPointF, at);
        LayoutInput in = toolbar(1024, 768);
        in.canvas = canvas;
        const LayoutResult out = ComputeLayout(in);
        QCOMPARE(out.background, QRectF(0, 103, 1024, 665));
        QCOMPARE(out.canvas, at);
    }

    void backgroundNeverNegative() {
        const LayoutResult out = ComputeLayout(toolbar(1024, 50));
        QCOMPARE(out.background.height(), 0.0);
    }

    void functionRowFromTheCorner() {
        const LayoutResult out = ComputeLayout(toolbar(1024, 768));
        QCOMPARE(out.functionButtons.front(), QPointF(0, 0));
        QCOMPARE(out.functionButtons[4], QPointF(22 + 21 + 23 + 12, 0));
        QCOMPARE(out.functionBarWidth, 22 + 21 + 23 + 12 + 17);
    }

    void screenVerdict_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("firstLoad");
        QTest::addColumn<int>("verdict");
        const int tooSmall = int(ScreenVerdict::TooSmall), warn = int(ScreenVerdict::Warn),
                  fine = int(ScreenVerdict::Fine);
        QTest::newRow("799 wide ends") << 799 << 600 << 32 << true << tooSmall;
        QTest::newRow("799 wide ends on a later load too") << 799 << 600 << 32 << false << tooSmall;
        QTest::newRow("599 high") << 800 << 599 << 32 << true << tooSmall;
        QTest::newRow("16 bits") << 1024 << 768 << 16 << true << tooSmall;
        QTest::newRow("800x600x24 warns") << 800 << 600 << 24 << true << warn;
        QTest::newRow("...once") << 800 << 600 << 24 << false << fine;
        QTest::newRow("1024x767 warns") << 1024 << 767 << 32 << true << warn;
        QTest::newRow("1024x768x32 silent") << 1024 << 768 << 32 << true << fine;
    }
    void screenVerdict() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, bits);
        QFETCH(bool, firstLoad);
        QFETCH(int, verdict);
        QCOMPARE(int(CheckScreen(width, height, bits, firstLoad)), verdict);
    }

    void maskIsWhiteExactlyOnBlack() {
        QImage img(3, 2, QImage::Format_RGB32);
        img.setPixel(0, 0, qRgb(0, 0, 0));
        img.setPixel(1, 0, qRgb(0, 0, 1)); // as dark as a ball pixel gets: still the ball
        img.setPixel(2, 0, qRgb(255, 0, 0));
        img.setPixel(0, 1, qRgb(1, 0, 0));
        img.setPixel(1, 1, qRgb(0, 0, 0));
        img.setPixel(2, 1, qRgb(255, 255, 255));
        vb::PictureArea area;
        area.setAutoSize(true);
        area.setPicture(vb::StdPicture(img));
        cNDib d;
        QVERIFY(d.Make_From_Picture(area));
        MakeBubbleMask(d);
        const int32_t expect[2][3] = {{0xFFFFFF, 0, 0}, {0, 0xFFFFFF, 0}};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) QCOMPARE(d.Get_Pixel_Long(x, y), expect[y][x]);
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
