// The 32-bit image buffer: layout, range rules, fitting arithmetic, header reading.

#include "PictureArea.h"
#include "VbError.h"
#include "cNDib.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace vb;

namespace {

// A picture area holding a w x h picture where pixel (x, y) has red x, green y, blue 7.
std::unique_ptr<PictureArea> gradientArea(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x & 255, y & 255, 7));
    auto area = std::make_unique<PictureArea>();
    area->setAutoSize(true);
    area->setPicture(StdPicture(img));
    return area;
}

cNDib filled(int w, int h) {
    auto area = gradientArea(w, h);
    cNDib d;
    if (!d.Make_From_Picture(*area)) qFatal("Make_From_Picture failed");
    return d;
}

// Records the rectangle a drawing call touched, on a context of its own.
struct Probe {
    DeviceContext dc{QImage(300, 300, QImage::Format_RGB32)};
    Probe() {
        dc.image().fill(0xFF000000);
        dc.takeDirty();
    }
};

} // namespace

class TestCNDib : public QObject {
    Q_OBJECT
private slots:
    void layoutFollowsTheTopDownBitmap() {
        cNDib d = filled(5, 3);
        QCOMPARE(d.Header.biSize, 40u);
        QCOMPARE(d.Header.biWidth, 5);
        QCOMPARE(d.Header.biHeight, -3);
        QCOMPARE(d.Header.biPlanes, uint16_t(1));
        QCOMPARE(d.BPP(), 32);
        QCOMPARE(d.Header.biSizeImage, 0u);
        QCOMPARE(d.Bits.size(), size_t(5 * 3 * 4));
        // byte c + 4x + 4Wy: pixel (4, 2) -> blue 7, green 2, red 4
        QCOMPARE(int(d.Bits[0 + 4 * 4 + 4 * 5 * 2]), 7);
        QCOMPARE(int(d.Bits[1 + 4 * 4 + 4 * 5 * 2]), 2);
        QCOMPARE(int(d.Bits[2 + 4 * 4 + 4 * 5 * 2]), 4);
    }

    void widthAndHeightAreLastIndices_data() {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::newRow("1x1") << 1 << 1;
        QTest::newRow("100x80") << 100 << 80;
        QTest::newRow("1024x768") << 1024 << 768;
    }
    void widthAndHeightAreLastIndices() {
        QFETCH(int, w);
        QFETCH(int, h);
        cNDib d = filled(w, h);
        QCOMPARE(d.Width(), w - 1);
        QCOMPARE(d.Height(), h - 1);
    }

    void emptyBufferRules() {
        cNDib d;
        QCOMPARE(d.Width(), -1);
        QCOMPARE(d.Height(), -1);
        d.Set_Pixel(0, 0, 1, 2, 3); // nothing, no error
        uint8_t r = 9, g = 9, b = 9;
        d.Get_Pixel(0, 0, r, g, b);
        QCOMPARE(int(r + g + b), 27);
        QVERIFY_THROWS_EXCEPTION(VbError, d.Get_Pixel_Long(0, 0));
        Probe probe;
        QVERIFY_THROWS_EXCEPTION(VbError, d.Bit_Blt_Dib(0, 0, &probe.dc, SRCCOPY));
    }

    void makeFromPictureFailsOnAnEmptyContext() {
        struct NoImage : PictureHost {
            DeviceContext dc;
            HDC hDC() override { return &dc; }
            void SetWidth(float) override {}
            void SetHeight(float) override {}
        } none;
        cNDib d = filled(4, 4);
        QVERIFY(!d.Make_From_Picture(none));
        QCOMPARE(d.Width(), 3); // previous pixels kept
    }

    void clampingRules_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("expectX");
        QTest::addColumn<int>("expectY");
        QTest::newRow("negative x, y past the end") << -5 << 500 << 0 << 9;
        QTest::newRow("inside") << 3 << 4 << 3 << 4;
        QTest::newRow("both past the end") << 10 << 10 << 9 << 9;
        QTest::newRow("both negative") << -1 << -1 << 0 << 0;
    }
    void clampingRules() {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, expectX);
        QFETCH(int, expectY);
        cNDib d = filled(10, 10);
        // Get_Pixel_Long clamps copies; the caller's values stay.
        int32_t cx = x, cy = y;
        QCOMPARE(d.Get_Pixel_Long(cx, cy), expectX + 256 * expectY + 65536 * 7);
        QCOMPARE(cx, x);
        // Get_Pixel_Clamp writes the clamped point back.
        uint8_t r = 0, g = 0, b = 0;
        d.Get_Pixel_Clamp(cx, cy, r, g, b);
        QCOMPARE(cx, expectX);
        QCOMPARE(cy, expectY);
        QCOMPARE(int(r), expectX);
        QCOMPARE(int(g), expectY);
    }

    void channelClampsFromAboveOnly() {
        cNDib d = filled(10, 10);
        QCOMPARE(int(d.Get_Channel(20, 3, 1)), 3);  // green of (9, 3)
        QCOMPARE(int(d.Get_Channel(20, 3, 2)), 9);  // red of (9, 3)
        QCOMPARE(int(d.Get_Channel(2, 30, 0)), 7);  // blue of (2, 9)
        QVERIFY_THROWS_EXCEPTION(VbError, d.Get_Channel(-1, 3, 1));
        QVERIFY_THROWS_EXCEPTION(VbError, d.Get_Channel(1, -3, 1));
        QVERIFY_THROWS_EXCEPTION(VbError, d.Get_Channel(1, 3, 4));
        try {
            d.Get_Channel(-1, 3, 1);
        } catch (const VbError& e) {
            QCOMPARE(e.Number, int(ErrSubscriptOutOfRange));
        }
    }

    void setPixelOutsideChangesNothing() {
        cNDib d = filled(10, 10);
        const auto before = d.Bits;
        d.Set_Pixel(10, 0, 1, 2, 3);
        d.Set_Pixel(-1, 0, 1, 2, 3);
        d.Set_Pixel(0, 10, 1, 2, 3);
        QCOMPARE(d.Bits, before);
        d.Set_Pixel(9, 9, 200, 100, 50);
        QCOMPARE(d.Get_Pixel_Long(9, 9), 200 + 256 * 100 + 65536 * 50);
        QCOMPARE(int(d.Bits[3 + 4 * 99]), int(before[3 + 4 * 99])); // the fourth byte untouched
    }

    void setPixelAlpha_data() {
        QTest::addColumn<int>("old");
        QTest::addColumn<int>("value");
        QTest::addColumn<float>("alpha");
        QTest::addColumn<int>("expect");
        QTest::newRow("half of 0 and 255 rounds 127.5 to even") << 0 << 255 << 0.5f << 128;
        QTest::newRow("half of 1 and 0 is 0.5, to even 0") << 1 << 0 << 0.5f << 0;
        QTest::newRow("opaque") << 10 << 200 << 1.0f << 200;
        QTest::newRow("transparent") << 10 << 200 << 0.0f << 10;
    }
    void setPixelAlpha() {
        QFETCH(int, old);
        QFETCH(int, value);
        QFETCH(float, alpha);
        QFETCH(int, expect);
        cNDib d = filled(2, 2);
        d.Set_Pixel(1, 1, old, old, old);
        d.Set_Pixel_Alpha(1, 1, value, value, value, alpha);
        QCOMPARE(d.Get_Pixel_Long(1, 1), expect * (1 + 256 + 65536));
    }

    void setPixelAlphaRaises() {
        cNDib d = filled(2, 2);
        QVERIFY_THROWS_EXCEPTION(VbError, d.Set_Pixel_Alpha(2, 0, 1, 1, 1, 0.5f));
        d.Set_Pixel(0, 0, 255, 255, 255);
        try {
            d.Set_Pixel_Alpha(0, 0, 255, 255, 255, 2.0f); // 255 * -1 + 510 = 255: fine
            d.Set_Pixel(0, 0, 0, 0, 0);
            d.Set_Pixel_Alpha(0, 0, 255, 255, 255, 2.0f); // 510 overflows
            QFAIL("no overflow raised");
        } catch (const VbError& e) {
            QCOMPARE(e.Number, int(ErrOverflow));
        }
    }

    void fitRectangle_data() {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QRect>("drawn");
        QTest::newRow("landscape 200x100") << 200 << 100 << QRect(6, 10, 100, 100)
                                           << QRect(6, 35, 100, 50);
        // 66.67 -> 67 high, y = round(16.5) = 16 (half to even)
        QTest::newRow("3x2 rounds half to even") << 3 << 2 << QRect(0, 0, 100, 100)
                                                 << QRect(0, 16, 100, 67);
        QTest::newRow("square fills the box") << 40 << 40 << QRect(5, 5, 100, 100)
                                              << QRect(5, 5, 100, 100);
        QTest::newRow("portrait centred across") << 50 << 100 << QRect(0, 0, 100, 100)
                                                 << QRect(25, 0, 50, 100);
    }
    void fitRectangle() {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(QRect, box);
        QFETCH(QRect, drawn);
        cNDib d = filled(w, h);
        Probe probe;
        d.Set_dib_Fit(&probe.dc, box.x(), box.y(), box.width(), box.height());
        QCOMPARE(probe.dc.dirty(), drawn);
        QCOMPARE(GetStretchBltMode(&probe.dc), BLACKONWHITE); // mode restored
    }

    void stretchAreaCountsRowsFromTheTop() {
        // 1:1 copy of a rectangle starting at row 10 must show rows 10.. of the buffer.
        cNDib d = filled(40, 100);
        Probe probe;
        d.Stretch_dib_area(0, 0, 5, 10, 20, 20, 20, 20, &probe.dc);
        const QRgb topLeft = probe.dc.image().pixel(0, 0);
        QCOMPARE(qRed(topLeft), 5);
        QCOMPARE(qGreen(topLeft), 10);
        QCOMPARE(qGreen(probe.dc.image().pixel(0, 19)), 29);
        QCOMPARE(probe.dc.dirty(), QRect(0, 0, 20, 20));
    }

    void setDibAreaCopiesTheRectangleUnscaled() {
        cNDib d = filled(50, 60);
        Probe probe;
        QCOMPARE(d.Set_dib_Area(100, 200, 30, 40, 8, 6, &probe.dc), 60);
        QCOMPARE(probe.dc.dirty(), QRect(100, 200, 8, 6));
        const QRgb p = probe.dc.image().pixel(107, 205);
        QCOMPARE(qRed(p), 37);
        QCOMPARE(qGreen(p), 45);
        // Outside the context: clipped, no crash.
        d.Set_dib_Area(295, 295, 0, 0, 20, 20, &probe.dc);
        QCOMPARE(qRed(probe.dc.image().pixel(299, 299)), 4);
    }

    void bitBltRasterOperations_data() {
        QTest::addColumn<uint>("rop");
        QTest::addColumn<uint>("dest");
        QTest::addColumn<uint>("expect");
        // source pixel everywhere: red 0x0F, green 0xF0, blue 0x33
        QTest::newRow("copy") << uint(SRCCOPY) << 0xFF808080u << 0xFF0FF033u;
        QTest::newRow("and") << uint(SRCAND) << 0xFF8181FFu << 0xFF018033u;
        QTest::newRow("paint (or)") << uint(SRCPAINT) << 0xFF808080u << 0xFF8FF0B3u;
    }
    void bitBltRasterOperations() {
        QFETCH(uint, rop);
        QFETCH(uint, dest);
        QFETCH(uint, expect);
        cNDib d = filled(3, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) d.Set_Pixel(x, y, 0x0F, 0xF0, 0x33);
        Probe probe;
        probe.dc.image().fill(dest);
        d.Bit_Blt_Dib(10, 20, &probe.dc, rop);
        QCOMPARE(probe.dc.image().pixel(11, 21), QRgb(expect));
        QCOMPARE(probe.dc.image().pixel(13, 21), QRgb(dest)); // beside it: untouched
    }

    void setDibWritesBackAndResizes() {
        auto area = gradientArea(8, 6);
        cNDib d;
        QVERIFY(d.Make_From_Picture(*area));
        d.Set_Pixel(2, 3, 1, 2, 3);
        PictureArea container; // counts in pixels
        PictureArea target(&container);
        target.resize(20, 20);
        d.Set_dib(target, true);
        QCOMPARE(target.size(), QSize(8, 6));
        QCOMPARE(target.Point(2, 3), 1 + 256 * 2 + 65536 * 3);
    }

    void loadDIBitmapSize_data() {
        QTest::addColumn<uint>("sizeImage");
        QTest::addColumn<int>("bitCount");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("expect");
        QTest::newRow("computed, rows unpadded") << 0u << 24 << 3 << -2 << 20;
        QTest::newRow("stored size wins") << 1234u << 24 << 3 << -2 << 1234;
        QTest::newRow("32 bits bottom-up: 40.875 a row") << 0u << 32 << 10 << 5 << 204;
        QTest::newRow("1 bit rounds each row up") << 0u << 1 << 9 << 1 << 2;
    }
    void loadDIBitmapSize() {
        QFETCH(uint, sizeImage);
        QFETCH(int, bitCount);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, expect);
        QTemporaryDir dir;
        BITMAPINFOHEADER h;
        h.biSize = 40;
        h.biWidth = width;
        h.biHeight = height;
        h.biBitCount = uint16_t(bitCount);
        h.biSizeImage = sizeImage;
        QFile f(dir.filePath("h.bin"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(&h), sizeof h);
        f.close();
        cNDib d = filled(2, 2);
        QCOMPARE(d.LoadDIBitmap(f.fileName()), expect);
        QCOMPARE(d.Header.biWidth, width);
        QCOMPARE(d.Bits.size(), size_t(16)); // pixels neither read nor resized
    }

    void loadDIBitmapRaisesFileErrors() {
        QTemporaryDir dir;
        cNDib d;
        QVERIFY_THROWS_EXCEPTION(VbError, d.LoadDIBitmap(dir.filePath("missing.bmp")));
        QFile f(dir.filePath("short.bin"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("12345");
        f.close();
        QVERIFY_THROWS_EXCEPTION(VbError, d.LoadDIBitmap(f.fileName()));
    }
};

QTEST_MAIN(TestCNDib)
#include "tst_cNDib.moc"
