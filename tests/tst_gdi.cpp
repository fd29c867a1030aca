// Drawing contexts: flood fill on line art, pixels, blits between contexts, the frame.

#include "Gdi.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <vector>

using namespace vb;

namespace {

constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kRed = 255;

// White page with black 2-px outlines: a closed square, and an open shape (a square with a
// gap in its right side). Drawn without anti-aliasing, like the line art.
DeviceContext lineArt() {
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QPen(Qt::black, 2));
    p.drawRect(10, 10, 60, 60);   // closed
    p.drawLine(110, 10, 170, 10); // open: top, left, bottom; right side has a gap
    p.drawLine(110, 10, 110, 70);
    p.drawLine(110, 70, 170, 70);
    p.drawLine(170, 10, 170, 30);
    p.end();
    DeviceContext dc(img);
    dc.takeDirty();
    dc.fillColor = kRed;
    dc.fillSolid = true;
    return dc;
}

QRect boundsOf(const QImage& img, QRgb c) {
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (c & 0xFFFFFF)) r |= QRect(x, y, 1, 1);
    return r;
}

int countColour(const QImage& img, QRgb c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, y) & 0xFFFFFF) == (c & 0xFFFFFF);
    return n;
}

// The plain way: a breadth-first walk over the 4 neighbours of exact colour. Returns the
// bounds of what it painted.
QRect referenceFill(QImage& img, QPoint seed, QRgb fill) {
    const int w = img.width(), h = img.height();
    auto* px = reinterpret_cast<QRgb*>(img.bits()); // rows of a 32-bit image have no padding
    const QRgb target = px[seed.y() * w + seed.x()] & 0xFFFFFF;
    std::vector<int> queue{seed.y() * w + seed.x()};
    px[queue[0]] = fill;
    int left = w, right = -1, top = h, bottom = -1;
    for (size_t i = 0; i < queue.size(); ++i) {
        const int x = queue[i] % w, y = queue[i] / w;
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
        const bool next[] = {x + 1 < w, x > 0, y + 1 < h, y > 0};
        const int step[] = {1, -1, w, -w};
        for (int k = 0; k < 4; ++k)
            if (next[k] && (px[queue[i] + step[k]] & 0xFFFFFF) == target) {
                px[queue[i] + step[k]] = fill;
                queue.push_back(queue[i] + step[k]);
            }
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

class TestGdi : public QObject {
    Q_OBJECT
private slots:
    void floodFillStaysInsideClosedShapes() {
        DeviceContext dc = lineArt();
        QCOMPARE(ExtFloodFill(&dc, 40, 40, kWhite, FLOODSURFACE), 1);
        const QImage& img = dc.image();
        QCOMPARE(img.pixel(40, 40) & 0xFFFFFF, 0xFF0000u);
        QCOMPARE(img.pixel(12, 12) & 0xFFFFFF, 0xFF0000u); // corner just inside the outline
        QCOMPARE(img.pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);   // outside: untouched
        QCOMPARE(img.pixel(10, 40) & 0xFFFFFF, 0u);        // the outline itself
        const QRect filled = boundsOf(img, 0xFF0000);
        QCOMPARE(dc.dirty(), filled);
        QVERIFY(filled.width() >= 56 && filled.width() <= 58);
        QCOMPARE(countColour(img, 0xFF0000), filled.width() * filled.height());
    }

    void floodFillLeaksThroughAnOpenShape() {
        DeviceContext dc = lineArt();
        ExtFloodFill(&dc, 140, 40, kWhite, FLOODSURFACE);
        QCOMPARE(dc.image().pixel(5, 5) & 0xFFFFFF, 0xFF0000u);   // reached the page
        QCOMPARE(dc.image().pixel(40, 40) & 0xFFFFFF, 0xFFFFFFu); // not the closed square
    }

    void floodFillIsFourConnected() {
        // Two white pixels touching only at a corner are separate areas.
        QImage img(4, 4, QImage::Format_RGB32);
        img.fill(Qt::black);
        img.setPixel(1, 1, 0xFFFFFFFF);
        img.setPixel(2, 2, 0xFFFFFFFF);
        DeviceContext dc(img);
        dc.fillColor = kRed;
        dc.fillSolid = true;
        ExtFloodFill(&dc, 1, 1, kWhite, FLOODSURFACE);
        QCOMPARE(dc.image().pixel(1, 1) & 0xFFFFFF, 0xFF0000u);
        QCOMPARE(dc.image().pixel(2, 2) & 0xFFFFFF, 0xFFFFFFu);
    }

    // Fills one after another on the library's line art, in colours that merge areas with
    // their outlines and with each other, against the plain reference fill.
    void floodFillMatchesAPlainFillOnLibraryPictures_data() {
        QTest::addColumn<QString>("picture");
        QTest::newRow("gif") << "farm animals/cow.gif";
        QTest::newRow("upright gif") << "at home/teddy bear.gif";
        QTest::newRow("1-bit bmp") << "at home/toy blocks.bmp";
    }
    void floodFillMatchesAPlainFillOnLibraryPictures() {
        QFETCH(QString, picture);
        QImage expected(QStringLiteral(TV_SOURCE_DIR "/resources/books/") + picture);
        QVERIFY(!expected.isNull());
        expected = expected.convertToFormat(QImage::Format_RGB32);
        DeviceContext dc(expected);
        dc.fillSolid = true;
        const QRgb palette[] = {0xFFFFFFFF, 0xFF000000, 0xFFFF0000, 0xFFFFFFFE, 0xFF0000FF};
        QRandomGenerator random(12);
        for (int round = 0; round < 250; ++round) {
            const QPoint at(random.bounded(expected.width()), random.bounded(expected.height()));
            const QRgb target = expected.pixel(at) & 0xFFFFFF;
            QRgb fill;
            do fill = palette[random.bounded(5)];
            while ((fill & 0xFFFFFF) == target);
            const QRect painted = referenceFill(expected, at, fill);
            dc.takeDirty();
            dc.fillColor = RgbToColorValue(fill);
            QCOMPARE(ExtFloodFill(&dc, at.x(), at.y(), RgbToColorValue(target), FLOODSURFACE), 1);
            QVERIFY2(dc.image() == expected, qPrintable(QString("round %1").arg(round)));
            QCOMPARE(dc.dirty(), painted);
        }
    }

    void floodFillRefusals_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("solid");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("filled");
        QTest::newRow("start on the outline") << QPoint(10, 40) << true << 0 << 0;
        QTest::newRow("outside the image") << QPoint(200, 40) << true << 0 << 0;
        QTest::newRow("negative") << QPoint(-1, 0) << true << 0 << 0;
        QTest::newRow("transparent brush paints nothing") << QPoint(40, 40) << false << 1 << 0;
    }
    void floodFillRefusals() {
        QFETCH(QPoint, at);
        QFETCH(bool, solid);
        QFETCH(int, result);
        QFETCH(int, filled);
        DeviceContext dc = lineArt();
        dc.fillSolid = solid;
        QCOMPARE(ExtFloodFill(&dc, at.x(), at.y(), kWhite, FLOODSURFACE), result);
        QCOMPARE(countColour(dc.image(), 0xFF0000), filled);
    }

    void floodFillMatchesExactColourOnly() {
        // A near-white pixel is a wall for a fill of exact white.
        QImage img(5, 1, QImage::Format_RGB32);
        img.fill(Qt::white);
        img.setPixel(2, 0, qRgb(255, 255, 254));
        DeviceContext dc(img);
        dc.fillColor = kRed;
        dc.fillSolid = true;
        ExtFloodFill(&dc, 0, 0, kWhite, FLOODSURFACE);
        QCOMPARE(countColour(dc.image(), 0xFF0000), 2);
    }

    void borderFillStopsAtTheBorderColour() {
        DeviceContext dc = lineArt();
        dc.fillColor = kWhite; // the fill colour equals the area's colour: must still end
        DeviceContext surface = lineArt();
        ExtFloodFill(&surface, 40, 40, kWhite, FLOODSURFACE);
        QCOMPARE(ExtFloodFill(&dc, 40, 40, 0, FLOODBORDER), 1);
        QCOMPARE(dc.dirty(), surface.dirty());
    }

    void pixels_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<uint>("getResult");
        QTest::newRow("inside") << QPoint(3, 4) << 0x030201u;
        QTest::newRow("outside") << QPoint(10, 0) << CLR_INVALID;
        QTest::newRow("negative") << QPoint(0, -1) << CLR_INVALID;
    }
    void pixels() {
        QFETCH(QPoint, at);
        QFETCH(uint, getResult);
        DeviceContext dc(QImage(10, 10, QImage::Format_RGB32));
        const bool inside = getResult != CLR_INVALID;
        QCOMPARE(SetPixelV(&dc, at.x(), at.y(), 0x030201), inside ? 1 : 0);
        QCOMPARE(GetPixel(&dc, at.x(), at.y()), getResult);
        if (inside) QCOMPARE(dc.image().pixel(at), qRgb(1, 2, 3));
    }

    void bitBltBetweenContextsClips() {
        QImage src(4, 4, QImage::Format_RGB32);
        src.fill(qRgb(9, 8, 7));
        DeviceContext from(src), to(QImage(6, 6, QImage::Format_RGB32));
        to.image().fill(Qt::black);
        to.takeDirty();
        QCOMPARE(BitBlt(&to, 4, -1, 4, 4, &from, 0, 0, SRCCOPY), 1);
        QCOMPARE(to.dirty(), QRect(4, 0, 2, 3));
        QCOMPARE(to.image().pixel(5, 2), qRgb(9, 8, 7));
        QCOMPARE(to.image().pixel(3, 2), qRgb(0, 0, 0));
    }

    void halftoneStretchAverages() {
        // A 2x2 checker of black and white shrunk to one pixel comes out grey, not one of them.
        QImage src(2, 2, QImage::Format_RGB32);
        src.setPixel(0, 0, 0xFF000000);
        src.setPixel(1, 1, 0xFF000000);
        src.setPixel(1, 0, 0xFFFFFFFF);
        src.setPixel(0, 1, 0xFFFFFFFF);
        BITMAPINFOHEADER h;
        h.biSize = 40;
        h.biWidth = 2;
        h.biHeight = -2;
        h.biPlanes = 1;
        h.biBitCount = 32;
        DeviceContext dc(QImage(1, 1, QImage::Format_RGB32));
        SetStretchBltMode(&dc, HALFTONE);
        StretchDIBits(&dc, 0, 0, 1, 1, 0, 0, 2, 2, src.constBits(), h, DIB_RGB_COLORS, SRCCOPY);
        const int grey = qRed(dc.image().pixel(0, 0));
        QVERIFY2(grey > 100 && grey < 155, qPrintable(QString::number(grey)));
    }

    void bottomUp24BitSource() {
        // Rows of a 24-bit bitmap are padded to 4 bytes and stored bottom row first.
        const uchar bits[] = {1, 2, 3, 0,  // bottom row: one pixel (b 1, g 2, r 3) + padding
                              4, 5, 6, 0}; // top row
        BITMAPINFOHEADER h;
        h.biSize = 40;
        h.biWidth = 1;
        h.biHeight = 2;
        h.biPlanes = 1;
        h.biBitCount = 24;
        DeviceContext dc(QImage(1, 2, QImage::Format_RGB32));
        QCOMPARE(SetDIBits(&dc, 0, 2, bits, h, DIB_RGB_COLORS), 2);
        QCOMPARE(dc.image().pixel(0, 0), qRgb(6, 5, 4));
        QCOMPARE(dc.image().pixel(0, 1), qRgb(3, 2, 1));
    }

    void raisedEdgeFrame() {
        DeviceContext dc(QImage(20, 10, QImage::Format_RGB32));
        dc.image().fill(Qt::white);
        RECT rc{0, 0, 20, 10};
        QCOMPARE(DrawEdge(&dc, rc, EDGE_RAISED, BF_RECT), 1);
        const QImage& img = dc.image();
        auto grey = [&](int x, int y) { return qGray(img.pixel(x, y)); };
        // Outer ring light at the top-left, dark at the bottom-right; inner ring in between.
        QVERIFY(grey(0, 5) > grey(19, 5));
        QVERIFY(grey(10, 0) > grey(10, 9));
        QVERIFY(grey(18, 5) > grey(19, 5));
        QVERIFY(grey(18, 5) < 255);
        QCOMPARE(grey(10, 5), 255); // inside untouched
    }
};

QTEST_MAIN(TestGdi)
#include "tst_gdi.moc"
