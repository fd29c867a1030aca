// The colour swatch: colour splitting, the soft shadow round the canvas and the fading band.

#include "TestSupport.h"
#include "VbError.h"
#include "mMain_Swatch.h"

#include <QtTest>

using namespace vb;

namespace {

// A picture area of the given size filled with one colour value.
void prepare(PictureArea& pic, int w, int h, int32_t colour) {
    pic.resize(w, h);
    pic.setBackColor(colour);
}

ShadowInfo canvasShadow(int32_t background) {
    ShadowInfo s;
    s.Left = 100;
    s.Top = 50;
    s.Width = 400;
    s.Height = 300;
    s.Radius = 2;
    s.Visible = true;
    s.Size = 10;
    SplitRGB(background, s.R, s.G, s.B);
    return s;
}

int red(int32_t c) {
    return c & 0xFF;
}

} // namespace

class TestSwatch : public QObject {
    Q_OBJECT
private slots:
    void splitRGB() {
        uint8_t R = 1, G = 1, B = 1;
        SplitRGB(0x7F123456, R, G, B); // the fourth byte is ignored
        QCOMPARE(QList<int>({R, G, B}), QList<int>({0x56, 0x34, 0x12}));
    }

    void splitOfTheInvalidColourFails() {
        uint8_t R = 7, G = 7, B = 7;
        QVERIFY_THROWS_EXCEPTION(VbError, SplitRGB(-1, R, G, B));
        QCOMPARE(int(R), 7);
    }

    // Across each band: black on the outline, half way 127.5 rounds to the even 128,
    // the background at Size pixels.
    void shadowBands_data() {
        QTest::addColumn<QPoint>("black");
        QTest::addColumn<QPoint>("half");
        QTest::addColumn<QPoint>("full");
        QTest::addColumn<int>("offset");
        QTest::newRow("right") << QPoint(500, 200) << QPoint(505, 200) << QPoint(510, 200) << 0;
        QTest::newRow("left") << QPoint(100, 200) << QPoint(95, 200) << QPoint(90, 200) << 0;
        QTest::newRow("top") << QPoint(300, 50) << QPoint(300, 45) << QPoint(300, 40) << 0;
        QTest::newRow("bottom") << QPoint(300, 350) << QPoint(300, 355) << QPoint(300, 360) << 0;
        QTest::newRow("right, shifted")
            << QPoint(503, 203) << QPoint(508, 203) << QPoint(513, 203) << 3;
    }
    void shadowBands() {
        QFETCH(QPoint, black);
        QFETCH(QPoint, half);
        QFETCH(QPoint, full);
        QFETCH(int, offset);
        for (int32_t background : {0xFFFFFF, 0x0000FF}) {
            PictureArea PB;
            prepare(PB, 640, 480, background);
            PB.Cls();
            ShadowInfo s = canvasShadow(background);
            s.OffsetX = s.OffsetY = offset;
            DrawShadow(PB, s);
            QCOMPARE(PB.Point(black.x(), black.y()), 0);
            QCOMPARE(PB.Point(half.x(), half.y()), background == 0xFFFFFF ? 0x808080 : 0x80);
            QCOMPARE(PB.Point(full.x(), full.y()), background);
        }
    }

    void shadowOfPureRedHasNoGreenOrBlue() {
        PictureArea PB;
        prepare(PB, 640, 480, 0x0000FF);
        ShadowInfo s = canvasShadow(0x0000FF);
        DrawShadow(PB, s);
        const QImage& img = PB.hDC()->image();
        int shaded = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb p = img.pixel(x, y);
                QVERIFY2(qGreen(p) == 0 && qBlue(p) == 0,
                         qPrintable(QString("%1,%2").arg(x).arg(y)));
                if (qRed(p) < 255) ++shaded;
            }
        QVERIFY(shaded > 4 * 400);
    }

    void cornersAreRoundAndMirrored() {
        PictureArea PB;
        prepare(PB, 640, 480, 0xFFFFFF);
        ShadowInfo s = canvasShadow(0xFFFFFF);
        DrawShadow(PB, s);
        // Three pixels out from the box's corner on the diagonal: distance sqrt(50) from
        // the corner centre, t = 0.507, 129.3.
        QCOMPARE(red(PB.Point(97, 47)), 129);
        QCOMPARE(PB.Point(97, 47), PB.Point(503, 47)); // mirrored across
        QCOMPARE(PB.Point(97, 47), PB.Point(97, 353)); // copied down
        QCOMPARE(PB.Point(97, 47), PB.Point(503, 353));
        // Beyond the rounded corner the background is untouched.
        QCOMPARE(PB.Point(90, 40), 0xFFFFFF);
    }

    void invisibleOrBlackShadowChangesNothing() {
        for (int32_t background : {0xFFFFFF, 0}) {
            PictureArea PB;
            prepare(PB, 640, 480, background);
            const QImage before = PB.hDC()->image().copy();
            ShadowInfo s = canvasShadow(background);
            s.Visible = background == 0; // black draws, but into black
            DrawShadow(PB, s);
            QCOMPARE(PB.hDC()->image(), before);
        }
    }

    void shadowPartlyOutsideThePicture() {
        PictureArea PB;
        prepare(PB, 50, 50, 0xFFFFFF);
        ShadowInfo s = canvasShadow(0xFFFFFF);
        s.Left = 5;
        s.Top = 5;
        s.Width = 40;
        s.Height = 60; // runs off the bottom
        DrawShadow(PB, s);
        QCOMPARE(PB.Point(0, 20), 0x808080); // x = 0 of a band that starts at -5
        QCOMPARE(PB.Point(5, 20), 0);
        QCOMPARE(PB.Point(45, 20), 0);
    }

    // Eleven rows for a band 10 high: Colors(0) on top, the picture unchanged on the last.
    void gradientRows_data() {
        QTest::addColumn<int>("underneath");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("over white")
            << 255 << QList<int>{0, 48, 92, 130, 163, 191, 214, 232, 245, 252, 255};
        QTest::newRow("over grey 100")
            << 100 << QList<int>{0, 33, 61, 84, 101, 114, 121, 124, 121, 113, 100};
    }
    void gradientRows() {
        QFETCH(int, underneath);
        QFETCH(QList<int>, rows);
        PictureArea PB;
        prepare(PB, 60, 20, underneath * 0x010101);
        GradientInfo g;
        g.Direction = 1;
        g.Colors = {{0, 0, 0}, {255, 255, 255}};
        int32_t X = 0, Y = 0, W = 40, H = 10;
        DrawGradient(g, PB, X, Y, W, H);
        QCOMPARE(rows.size(), 11);
        for (int j = 0; j < rows.size(); ++j) {
            QCOMPARE(PB.Point(0, j), rows[j] * 0x010101);
            QCOMPARE(PB.Point(40, j), rows[j] * 0x010101); // X + W is drawn too
            QCOMPARE(PB.Point(41, j), underneath * 0x010101);
        }
        QCOMPARE(PB.Point(0, 11), underneath * 0x010101);
    }

    void gradientDefaultsAndPointsOutside() {
        PictureArea PB;
        prepare(PB, 30, 8, 0xFFFFFF);
        GradientInfo g;
        g.Colors = {{255, 0, 0}, {255, 255, 255}};
        int32_t X = -1, Y = -1, W = -1, H = -1;
        DrawGradient(g, PB, X, Y, W, H);
        QCOMPARE(X, 0);
        QCOMPARE(Y, 0);
        QCOMPARE(W, 30);
        QCOMPARE(H, 8);
        // Column 30 and row 8 lie outside: skipped, and drawing went on to the end.
        QCOMPARE(PB.Point(29, 0), 0x0000FF);
        QCOMPARE(PB.Point(29, 7), PB.Point(0, 7));
        QVERIFY(PB.Point(29, 7) != 0xFFFFFF);
    }
};

QTEST_MAIN(TestSwatch)
#include "tst_swatch.moc"
