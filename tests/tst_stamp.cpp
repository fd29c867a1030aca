// Brush stamping: the blend, the region test, the clipped footprint, the pattern modes
// and the screen update, on buffers made in memory.

#include "PaintingSupport.h"
#include "mMain_Stamp.h"

#include <QtTest>

using namespace vb;
using namespace testing;

namespace {

constexpr QRgb White = 0xFFFFFF;

// A brush whose every pixel has its own grey level, so a painted canvas shows which brush
// pixel landed where (black paint on white leaves exactly the brush's byte).
QImage codedBrush(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int v = (x * 7 + y * 13) % 250;
            img.setPixel(x, y, qRgb(v, v, v));
        }
    return img;
}

} // namespace

class TestStamp : public QObject {
    Q_OBJECT
private slots:
    void blend_data();
    void blend();
    void regionTest_data();
    void regionTest();
    void footprint_data();
    void footprint();
    void screenUpdate_data();
    void screenUpdate();
    void pattern_data();
    void pattern();
    void scaledUpdate_data();
    void scaledUpdate();
};

void TestStamp::blend_data() {
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("darkest");
    QTest::addColumn<int>("paint"); // colour value
    QTest::addColumn<int>("stamps");
    QTest::addColumn<uint>("expected"); // centre pixel, 0xRRGGBB

    QTest::newRow("crayon, red on white") << 38 << 34 << 5 << 255 << 1 << 0xFF0505u;
    QTest::newRow("paintbrush, black once") << 112 << 106 << 126 << 0 << 1 << 0x7E7E7Eu;
    QTest::newRow("paintbrush, black twice") << 112 << 106 << 126 << 0 << 2 << 0x3E3E3Eu;
    QTest::newRow("opaque brush lays the paint") << 9 << 9 << 0 << 0x102030 << 1 << 0x302010u;
    QTest::newRow("transparent brush keeps the canvas") << 9 << 9 << 255 << 0 << 3 << White;
    // 255 * 128/255 + 0 = 128.00000x; 200 * 127/255 + 255 * 128/255 = 227.6 -> 228
    QTest::newRow("mixed channels") << 9 << 9 << 128 << 0x00C8FF << 1 << 0xFFE480u;
}

void TestStamp::blend() {
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, darkest);
    QFETCH(int, paint);
    QFETCH(int, stamps);
    QFETCH(uint, expected);
    cNDib canvas = dibOf(solid(200, 200, qRgb(255, 255, 255)));
    const cNDib map = dibOf(solid(200, 200, qRgb(255, 0, 0)));
    const cNDib brush = dibOf(discBrush(w, h, darkest, 3));
    for (int i = 0; i < stamps; ++i)
        StampBrush(canvas, map, brush, 100, 100, 255, paint, nullptr, nullptr, -1000, -1000, 1.0f,
                   0, 0);
    QCOMPARE(rgbAt(canvas, 100, 100), expected);
}

void TestStamp::regionTest_data() {
    QTest::addColumn<int>("mapWidth"); // the map's own width; narrower maps clamp look-ups
    QTest::addColumn<int>("regionColor");
    QTest::addColumn<int>("painted");

    // Footprint x 5..35, y 5..35: 15 columns left of the outline, 15 right of it.
    QTest::newRow("region on the left") << 60 << 255 << 15 * 31;
    QTest::newRow("the shape on the right") << 60 << 0x00FF00 << 15 * 31;
    QTest::newRow("outline colour") << 60 << 0 << 31;
    QTest::newRow("no region yet") << 60 << -1 << 0;
    QTest::newRow("white matches nothing") << 60 << 0xFFFFFF << 0;
    // Columns 25 and beyond compare the map's last column (green).
    QTest::newRow("narrow map, clamped look-ups") << 25 << 0x00FF00 << 15 * 31;
}

// Left of column 20 the map shows the region (255), from column 21 on another shape
// (green), with a black outline at column 20. A stamp covering all three changes exactly
// the pixels whose map colour (clamped into the map) is the region colour.
void TestStamp::regionTest() {
    QFETCH(int, mapWidth);
    QFETCH(int, regionColor);
    QFETCH(int, painted);
    QImage mapImg = solid(mapWidth, 40, qRgb(0, 255, 0));
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 20; ++x) mapImg.setPixel(x, y, qRgb(255, 0, 0));
        mapImg.setPixel(20, y, qRgb(0, 0, 0));
    }
    QImage canvasImg(60, 40, QImage::Format_RGB32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) canvasImg.setPixel(x, y, qRgb(200, x, y));
    cNDib canvas = dibOf(canvasImg);
    const cNDib map = dibOf(mapImg);
    const cNDib brush = dibOf(solid(31, 31, qRgb(0, 0, 0)));
    StampBrush(canvas, map, brush, 20, 20, regionColor, 0x0000FF, nullptr, nullptr, -1000, -1000,
               1.0f, 0, 0);
    int changed = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const QRgb m = mapImg.pixel(std::min(x, mapWidth - 1), y);
            const bool inRegion = RgbToColorValue(m) == regionColor;
            const bool under = x >= 5 && x <= 35 && y >= 5 && y <= 35;
            const QRgb want = under && inRegion ? 0xFF0000 : (canvasImg.pixel(x, y) & White);
            if (rgbAt(canvas, x, y) != want)
                QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
            changed += rgbAt(canvas, x, y) != (canvasImg.pixel(x, y) & White);
        }
    QCOMPARE(changed, painted);
}

void TestStamp::footprint_data() {
    QTest::addColumn<int>("X");
    QTest::addColumn<int>("Y");
    QTest::addColumn<int>("painted");
    // Canvas 50 x 40, brush 38 x 34: footprint 37 x 33 (hw 18, hh 16).
    QTest::newRow("inside") << 25 << 20 << 37 * 33;
    QTest::newRow("top-left corner") << 0 << 0 << 19 * 17;
    QTest::newRow("bottom-right corner") << 49 << 39 << 19 * 17;
    QTest::newRow("left edge, one column in") << -18 << 20 << 1 * 33;
    QTest::newRow("wholly left") << -19 << 20 << 0;
    QTest::newRow("wholly below") << 25 << 56 << 0;
    QTest::newRow("far beyond") << 5000 << -5000 << 0;
}

void TestStamp::footprint() {
    QFETCH(int, X);
    QFETCH(int, Y);
    QFETCH(int, painted);
    const QImage brushImg = codedBrush(38, 34);
    cNDib canvas = dibOf(solid(50, 40, qRgb(255, 255, 255)));
    const cNDib map = dibOf(solid(50, 40, qRgb(255, 0, 0)));
    const cNDib brush = dibOf(brushImg);
    StampBrush(canvas, map, brush, X, Y, 255, 0, nullptr, nullptr, -1000, -1000, 1.0f, 0, 0);
    int count = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x) {
            const int bx = x - (X - 18), by = y - (Y - 16);
            const bool under = bx >= 0 && bx <= 36 && by >= 0 && by <= 32;
            const int v = under ? qBlue(brushImg.pixel(bx, by)) : 255;
            if (rgbAt(canvas, x, y) != (qRgb(v, v, v) & White))
                QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
            count += under;
        }
    QCOMPARE(count, painted);
}

void TestStamp::screenUpdate_data() {
    QTest::addColumn<int>("X");
    QTest::addColumn<int>("Y");
    QTest::addColumn<int>("regionColor");
    QTest::addColumn<QRect>("copied");
    // Canvas 60 x 50, brush 9 x 9 (hw = hh = 4): footprint grown by 2 right and down.
    QTest::newRow("inside") << 30 << 20 << 255 << QRect(26, 16, 11, 11);
    QTest::newRow("at the origin") << 0 << 0 << 255 << QRect(0, 0, 7, 7);
    QTest::newRow("bottom-right, clipped") << 59 << 49 << 255 << QRect(55, 45, 5, 5);
    QTest::newRow("nothing painted, still copied") << 30 << 20 << 7 << QRect(26, 16, 11, 11);
    QTest::newRow("wholly outside") << -30 << 20 << 255 << QRect();
}

// The canvas buffer differs from the screen everywhere, so the copied rectangle shows.
void TestStamp::screenUpdate() {
    QFETCH(int, X);
    QFETCH(int, Y);
    QFETCH(int, regionColor);
    QFETCH(QRect, copied);
    cNDib canvas = dibOf(solid(60, 50, qRgb(255, 255, 255)));
    const cNDib map = dibOf(solid(60, 50, qRgb(255, 0, 0)));
    const cNDib brush = dibOf(solid(9, 9, qRgb(0, 0, 0)));
    DeviceContext screen(solid(60, 50, qRgb(0, 128, 0)));
    screen.takeDirty();
    StampBrush(canvas, map, brush, X, Y, regionColor, 0x0000FF, nullptr, &screen, -1000, -1000,
               1.0f, 0, 0);
    QCOMPARE(screen.dirty(), copied);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 60; ++x) {
            const QRgb want = copied.contains(x, y) ? rgbAt(canvas, x, y) : 0x008000;
            QCOMPARE(screen.image().pixel(x, y) & White, want);
        }
    // Without a context the screen stays as it was.
    DeviceContext untouched(solid(60, 50, qRgb(0, 128, 0)));
    untouched.takeDirty();
    StampBrush(canvas, map, brush, X, Y, regionColor, 0x0000FF, nullptr, nullptr, -1000, -1000,
               1.0f, 0, 0);
    QVERIFY(untouched.dirty().isEmpty());
}

void TestStamp::pattern_data() {
    QTest::addColumn<int>("patternX");
    QTest::addColumn<int>("patternY");
    QTest::newRow("tiled") << -1000 << -1000;
    QTest::newRow("anchored at 1,1") << 1 << 1;
    QTest::newRow("anchored at -1000,0") << -1000 << 0;
    QTest::newRow("anchored outside the pattern") << 20 << 20;
}

// An opaque 11 x 11 brush at (10, 10) over a 4 x 3 pattern; the map holds no region at
// all, which pattern mode ignores.
void TestStamp::pattern() {
    QFETCH(int, patternX);
    QFETCH(int, patternY);
    QImage patImg(4, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) patImg.setPixel(x, y, qRgb(10 + x, 20 + y, 30));
    const cNDib pat = dibOf(patImg);
    cNDib canvas = dibOf(solid(30, 30, qRgb(255, 255, 255)));
    const cNDib map = dibOf(solid(30, 30, qRgb(0, 0, 0)));
    const cNDib brush = dibOf(solid(11, 11, qRgb(0, 0, 0)));
    StampBrush(canvas, map, brush, 10, 10, 255, -1, &pat, nullptr, patternX, patternY, 1.0f, 0, 0);
    const bool tiled = patternX == -1000 && patternY == -1000;
    int painted = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            QRgb want = White;
            if (x >= 5 && x <= 15 && y >= 5 && y <= 15) {
                const int px = tiled ? x % 4 : x - (10 - patternX);
                const int py = tiled ? y % 3 : y - (10 - patternY);
                if (px >= 0 && px < 4 && py >= 0 && py < 3) want = patImg.pixel(px, py) & White;
            }
            QCOMPARE(rgbAt(canvas, x, y), want);
            painted += want != White;
        }
    const int expected = tiled ? 121 : (patternX == 1 ? 12 : 0);
    QCOMPARE(painted, expected);
}

void TestStamp::scaledUpdate_data() {
    QTest::addColumn<int>("X");
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("origin");
    QTest::addColumn<QRect>("drawn");
    // Brush 5 x 5 (hw = hh = 2), stamp at (X, X) on a 40 x 40 canvas, screen 100 x 100.
    // Scale 2, origin 10: DX = 16, EX = 24, DW = 8 + 2 = 10.
    QTest::newRow("twice") << 10 << 2.0f << 10 << QRect(16, 16, 10, 10);
    // Scale 0.5: DX = 4, EX = 6, DW = N(2.25) = 2.
    QTest::newRow("half") << 10 << 0.5f << 10 << QRect(4, 4, 2, 2);
    // Footprint clipped at the left and top edge: EX = 24 from DX = 16, then DX = DY = 0,
    // so DW = N(24 - 0 + 2) = 26 for a 3 x 3 source.
    QTest::newRow("twice at the edge") << 0 << 2.0f << 10 << QRect(0, 0, 26, 26);
}

void TestStamp::scaledUpdate() {
    QFETCH(int, X);
    QFETCH(float, scale);
    QFETCH(int, origin);
    QFETCH(QRect, drawn);
    cNDib canvas = dibOf(solid(40, 40, qRgb(255, 255, 255)));
    const cNDib map = dibOf(solid(40, 40, qRgb(255, 0, 0)));
    const cNDib brush = dibOf(solid(5, 5, qRgb(0, 0, 0)));
    DeviceContext screen(solid(100, 100, qRgb(0, 128, 0)));
    screen.takeDirty();
    StampBrush(canvas, map, brush, X, X, 255, 0x0000FF, nullptr, &screen, -1000, -1000, scale,
               origin, origin);
    QCOMPARE(screen.dirty(), drawn);
    // The middle of the drawn rectangle shows the paint.
    QCOMPARE(screen.image().pixel(drawn.center()) & White, 0xFF0000u);
}

QTEST_GUILESS_MAIN(TestStamp)
#include "tst_stamp.moc"
