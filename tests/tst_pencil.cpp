// The pencil line: its weights, the exact-write threshold, the region masking and the
// colour translation, drawn on a bare drawing context with a hand-made region map.

#include "FrmMain.h"
#include "PaintingSupport.h"
#include "VbMath.h"

#include <QtTest>

using namespace vb;
using namespace testing;

namespace {

using Weights = QList<QList<int>>; // {x, y, weight}, weight 256 = the middle, full colour

constexpr QRgb Background = qRgb(10, 20, 30);
constexpr int LineColour = 200 + 256 * 100 + 65536 * 50; // red 200, green 100, blue 50

// What a pixel of colour `old` becomes under the line colour at weight w.
QRgb blended(QRgb old, int w) {
    if (w > 252) return qRgb(200, 100, 50);
    const int k = 255 - w;
    return qRgb((200 * w + qRed(old) * k) / 256, (100 * w + qGreen(old) * k) / 256,
                (50 * w + qBlue(old) * k) / 256);
}

struct Pencil {
    FrmMain form;
    DeviceContext dc;
    Pencil(const QImage& canvas, const QImage& map) : dc(canvas) {
        form.RegionMask = std::make_unique<cNDib>(dibOf(map));
    }
    QRgb at(int x, int y) const { return dc.image().pixel(x, y) & 0xFFFFFF; }
};

} // namespace

class TestPencil : public QObject {
    Q_OBJECT
private slots:
    void weights_data();
    void weights();
    void exactThreshold();
    void weightZeroOnWhite();
    void masked_data();
    void masked();
    void alongTheEdge();
    void colours_data();
    void colours();
};

void TestPencil::weights_data() {
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<Weights>("expected");

    Weights h;
    for (int x = 10; x <= 14; ++x)
        h << QList<int>{x, 10, 256} << QList<int>{x, 9, 128} << QList<int>{x, 11, 127};
    h << QList<int>{9, 10, 127} << QList<int>{15, 10, 127} << QList<int>{9, 9, 0}
      << QList<int>{15, 11, 0};
    QTest::newRow("horizontal") << QPoint(10, 10) << QPoint(14, 10) << h;

    // Leftwards: the caps swap ends, the diagonal caps go up at the start, down at the end;
    // a zero dy still steps down, so the row above keeps 128.
    Weights hr;
    for (int x = 10; x <= 14; ++x)
        hr << QList<int>{x, 10, 256} << QList<int>{x, 9, 128} << QList<int>{x, 11, 127};
    hr << QList<int>{15, 10, 127} << QList<int>{9, 10, 127} << QList<int>{15, 9, 0}
       << QList<int>{9, 11, 0};
    QTest::newRow("horizontal, leftwards") << QPoint(14, 10) << QPoint(10, 10) << hr;

    // err stays dy \ 2 = 1 of 3: a = 85 on the right, 170 on the left.
    Weights v;
    for (int y = 10; y <= 13; ++y)
        v << QList<int>{10, y, 256} << QList<int>{9, y, 170} << QList<int>{11, y, 85};
    v << QList<int>{9, 9, 0} << QList<int>{10, 9, 127} << QList<int>{11, 14, 0}
      << QList<int>{10, 14, 127};
    QTest::newRow("vertical") << QPoint(10, 10) << QPoint(10, 13) << v;

    // An exact diagonal takes the mostly-vertical branch, its diagonal caps at 85.
    Weights d;
    for (int i = 0; i <= 3; ++i)
        d << QList<int>{5 + i, 5 + i, 256} << QList<int>{4 + i, 5 + i, 170}
          << QList<int>{6 + i, 5 + i, 85};
    d << QList<int>{4, 4, 85} << QList<int>{5, 4, 127} << QList<int>{9, 9, 85}
      << QList<int>{8, 9, 127};
    QTest::newRow("diagonal") << QPoint(5, 5) << QPoint(8, 8) << d;

    QTest::newRow("zero length") << QPoint(12, 12) << QPoint(12, 12) << Weights{};
}

void TestPencil::weights() {
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(Weights, expected);
    Pencil p(solid(30, 30, Background), solid(30, 30, qRgb(255, 0, 0)));
    p.form.LineGP(&p.dc, int16_t(from.x()), int16_t(from.y()), int16_t(to.x()), int16_t(to.y()),
                  LineColour, 255);
    QImage want = solid(30, 30, Background);
    for (const QList<int>& e : expected) want.setPixel(e[0], e[1], blended(Background, e[2]));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            if (p.at(x, y) != (want.pixel(x, y) & 0xFFFFFF))
                QFAIL(qPrintable(QString("pixel %1,%2: %3, expected %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(p.at(x, y), 6, 16, QChar('0'))
                                     .arg(want.pixel(x, y) & 0xFFFFFF, 6, 16, QChar('0'))));
}

// A long shallow line walks its side weight through every value: from (0, 5) to (200, 6)
// the row above gets 255, 254, 253 and then 252 at x = 100 to 103.
void TestPencil::exactThreshold() {
    Pencil p(solid(210, 12, qRgb(255, 255, 255)), solid(210, 12, qRgb(255, 0, 0)));
    p.form.LineGP(&p.dc, 0, 5, 200, 6, LineColour, 255);
    QCOMPARE(p.at(100, 5), QRgb(0xC86432));
    QCOMPARE(p.at(101, 5), QRgb(0xC86432));
    QCOMPARE(p.at(102, 5), QRgb(0xC86432));
    QCOMPARE(p.at(103, 5), QRgb(0xC76534)); // (200*252 + 255*3) \ 256 = 199, 101, 52
    QCOMPARE(p.at(100, 7), QRgb(0xFEFEFE)); // weight 0 below
}

// Weight 0 still lowers every channel above 0 by one, and leaves 0 at 0.
void TestPencil::weightZeroOnWhite() {
    QImage canvas = solid(30, 30, qRgb(255, 255, 255));
    canvas.setPixel(15, 11, qRgb(0, 0, 0));
    canvas.setPixel(9, 9, qRgb(0, 128, 255));
    Pencil p(canvas, solid(30, 30, qRgb(255, 0, 0)));
    p.form.LineGP(&p.dc, 10, 10, 14, 10, 0, 255);
    QCOMPARE(p.at(9, 9), QRgb(0x007FFE));
    QCOMPARE(p.at(15, 11), QRgb(0x000000));
}

void TestPencil::masked_data() {
    QTest::addColumn<int>("workOn");
    QTest::addColumn<int>("painted"); // pixels changed
    // Region 255 everywhere but an outline (black) at columns 19 to 21 and another shape
    // (green) over the rows above y = 9.
    // Line (10,10)-(30,10): middles 21 - 3 = 18, the row below 18, caps 2 (x = 9, 31) and
    // the lower diagonal cap at (31, 11): 39 pixels.
    QTest::newRow("the stroke's region") << 255 << 18 + 18 + 2 + 1;
    // The green shape: only the row above and the upper diagonal cap (9, 9), outline
    // columns excepted.
    QTest::newRow("the shape above") << 0x00FF00 << 18 + 1;
    QTest::newRow("a colour that is nowhere") << 0x123456 << 0;
}

void TestPencil::masked() {
    QFETCH(int, workOn);
    QFETCH(int, painted);
    QImage map = solid(40, 20, qRgb(255, 0, 0));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            if (y < 10) map.setPixel(x, y, qRgb(0, 255, 0));
            if (x >= 19 && x <= 21) map.setPixel(x, y, qRgb(0, 0, 0));
        }
    const QImage canvas = solid(40, 20, Background);
    Pencil p(canvas, map);
    p.form.LineGP(&p.dc, 10, 10, 30, 10, LineColour, workOn);
    int changed = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inRegion = RgbToColorValue(map.pixel(x, y)) == workOn;
            if (!inRegion) QCOMPARE(p.at(x, y), Background & 0xFFFFFF);
            changed += p.at(x, y) != (Background & 0xFFFFFF);
        }
    QCOMPARE(changed, painted);
}

// Side and cap pixels beyond the surface compare the clamped edge of the map and are
// dropped by the surface; the rest of the line is drawn.
void TestPencil::alongTheEdge() {
    Pencil p(solid(20, 20, Background), solid(20, 20, qRgb(255, 0, 0)));
    p.form.LineGP(&p.dc, 0, 0, 19, 0, LineColour, 255);
    for (int i = 0; i < 20; ++i) QCOMPARE(p.at(i, 0), QRgb(0xC86432));
    p.form.LineGP(&p.dc, 19, 19, 19, 0, LineColour, 255);
    for (int i = 0; i < 20; ++i) QCOMPARE(p.at(19, i), QRgb(0xC86432));
    QCOMPARE(p.at(5, 1), blended(Background, 9 * 255 / 19) & 0xFFFFFF); // err stays 19 \ 2
}

void TestPencil::colours_data() {
    QTest::addColumn<int>("colour");
    QTest::addColumn<int>("expected"); // LineColor
    QTest::addColumn<QList<int>>("rgb");
    QTest::newRow("plain") << 0x123456 << 0x123456 << QList<int>{0x56, 0x34, 0x12};
    QTest::newRow("black") << 0 << 0 << QList<int>{0, 0, 0};
    QTest::newRow("system window") << int(0x80000005) << 0xFFFFFF << QList<int>{255, 255, 255};
    QTest::newRow("system button face") << int(0x8000000F) << 0xC0C0C0 << QList<int>{192, 192, 192};
    QTest::newRow("system highlight") << int(0x8000000D) << 0x800000 << QList<int>{0, 0, 128};
    QTest::newRow("unknown system colour") << int(0x800000FF) << 0 << QList<int>{0, 0, 0};
    QTest::newRow("negative") << -1 << 0 << QList<int>{0, 0, 0};
}

void TestPencil::colours() {
    QFETCH(int, colour);
    QFETCH(int, expected);
    QFETCH(QList<int>, rgb);
    FrmMain form;
    form.LineR = form.LineG = form.LineB = 99;
    form.SetRGBComponents(colour);
    QCOMPARE(form.LineColor, expected);
    QCOMPARE((QList<int>{form.LineR, form.LineG, form.LineB}), rgb);
}

QTEST_MAIN(TestPencil)
#include "tst_pencil.moc"
