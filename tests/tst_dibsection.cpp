// The 24-bit DIB section: layout of its bottom-up memory, blits in and out kept in step
// with that memory, clearing, the clipboard copy, random fill and bilinear resampling.

#include "VbError.h"
#include "cDIBSection.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

using namespace vb;

namespace {

// A picture where pixel (x, y) has red 10x + 1, green 10y + 2, blue 200.
QImage gradient(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(10 * x + 1, 10 * y + 2, 200));
    return img;
}

// Blue, green, red of picture pixel (x, y) read from the section's memory.
QRgb memoryPixel(cDIBSection& s, int x, int y) {
    const uint8_t* p =
        s.DIBSectionBitsPtr() + size_t(s.BytesPerScanLine()) * (s.Height() - 1 - y) + 3 * x;
    return qRgb(p[2], p[1], p[0]);
}

// A section whose memory rows (row 0 = bottom) hold the given grey levels.
void fillGrey(cDIBSection& s, const QList<QList<int>>& rows) {
    uint8_t* bits = s.DIBSectionBitsPtr();
    for (int r = 0; r < rows.size(); ++r)
        for (int x = 0; x < rows[r].size(); ++x)
            for (int c = 0; c < 3; ++c)
                bits[size_t(s.BytesPerScanLine()) * r + 3 * x + c] = uint8_t(rows[r][x]);
}

} // namespace

class TestDIBSection : public QObject {
    Q_OBJECT
private slots:
    void rowsArePaddedToFourBytes_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("stride");
        QTest::newRow("1") << 1 << 1 << 4;
        QTest::newRow("2") << 2 << 3 << 8;
        QTest::newRow("3") << 3 << 2 << 12;
        QTest::newRow("4") << 4 << 1 << 12;
        QTest::newRow("5") << 5 << 5 << 16;
        QTest::newRow("640x480") << 640 << 480 << 1920;
    }
    void rowsArePaddedToFourBytes() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, stride);
        cDIBSection s;
        QVERIFY(s.Create(width, height));
        QCOMPARE(s.BytesPerScanLine(), stride);
        QCOMPARE(s.Width(), width);
        QCOMPARE(s.Height(), height);
        QCOMPARE(s.SectionInfo.biSize, 40u);
        QCOMPARE(s.SectionInfo.biHeight, height); // positive: bottom-up
        QCOMPARE(s.SectionInfo.biBitCount, uint16_t(24));
        QCOMPARE(s.SectionInfo.biSizeImage, uint32_t(stride * height));
        QVERIFY(s.hdc() && s.hDib() != 0 && s.DIBSectionBitsPtr());
    }

    void sizesThatCannotBeMadeLeaveItEmpty_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("zero wide") << 0 << 5;
        QTest::newRow("zero high") << 5 << 0;
        QTest::newRow("negative") << -3 << 4;
        QTest::newRow("too big") << 1000000 << 1000000;
    }
    void sizesThatCannotBeMadeLeaveItEmpty() {
        QFETCH(int, width);
        QFETCH(int, height);
        cDIBSection s;
        QVERIFY(s.Create(4, 4));
        QVERIFY(!s.Create(width, height));
        QVERIFY(!s.hdc());
        QCOMPARE(s.hDib(), uintptr_t(0));
        QVERIFY(!s.DIBSectionBitsPtr());
        s.CreateFromPicture(StdPicture()); // an empty picture makes nothing either
        QVERIFY(!s.hdc());
    }

    void pictureLandsBottomUpInMemory_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("1x1") << 1 << 1;
        QTest::newRow("3x2, three padding bytes") << 3 << 2;
        QTest::newRow("5x4") << 5 << 4;
        QTest::newRow("8x7, no padding") << 8 << 7;
    }
    void pictureLandsBottomUpInMemory() {
        QFETCH(int, width);
        QFETCH(int, height);
        cDIBSection s;
        s.CreateFromPicture(StdPicture(gradient(width, height)));
        QCOMPARE(s.Width(), width);
        QCOMPARE(s.Height(), height);
        const uint8_t* bits = s.DIBSectionBitsPtr();
        // The first bytes of memory are the bottom row's first pixel.
        QCOMPARE(int(bits[0]), 200);
        QCOMPARE(int(bits[1]), 10 * (height - 1) + 2);
        QCOMPARE(int(bits[2]), 1);
        int checked = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x, ++checked)
                QCOMPARE(memoryPixel(s, x, y), qRgb(10 * x + 1, 10 * y + 2, 200));
        QCOMPARE(checked, width * height);
    }

    void loadPictureBltTakesTheWholeSectionForAnyNegativeSize_data() {
        QTest::addColumn<int>("srcWidth");
        QTest::addColumn<int>("srcHeight");
        QTest::addColumn<int>("copiedWidth");
        QTest::addColumn<int>("copiedHeight");
        QTest::newRow("-1, -1") << -1 << -1 << 6 << 4;
        QTest::newRow("-5 wide") << -5 << 2 << 6 << 2;
        QTest::newRow("3 wide, -100 high") << 3 << -100 << 3 << 4;
    }
    void loadPictureBltTakesTheWholeSectionForAnyNegativeSize() {
        QFETCH(int, srcWidth);
        QFETCH(int, srcHeight);
        QFETCH(int, copiedWidth);
        QFETCH(int, copiedHeight);
        cDIBSection s;
        QVERIFY(s.Create(6, 4));
        DeviceContext source(gradient(10, 10));
        s.LoadPictureBlt(&source, 2, 1, srcWidth, srcHeight);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                const bool copied = x < copiedWidth && y < copiedHeight;
                QCOMPARE(memoryPixel(s, x, y),
                         copied ? qRgb(10 * (x + 2) + 1, 10 * (y + 1) + 2, 200) : qRgb(0, 0, 0));
            }
    }

    void paintPictureShowsWhatWasWrittenToMemory() {
        cDIBSection s;
        s.CreateFromPicture(StdPicture(gradient(4, 3)));
        // Written straight into memory: bottom-right picture pixel becomes pure green.
        uint8_t* p = s.DIBSectionBitsPtr() + 3 * 3;
        p[0] = 0, p[1] = 255, p[2] = 0;
        DeviceContext target(QImage(10, 10, QImage::Format_RGB32));
        target.image().fill(Qt::white);
        s.PaintPicture(&target, 5, 6, -1, -1, 1, 1);
        // Source (1, 1) lands at (5, 6); a 4x3 copy from (1, 1) keeps 3x2 inside the section.
        QCOMPARE(target.image().pixel(5, 6), qRgb(11, 12, 200));
        QCOMPARE(target.image().pixel(7, 7), qRgb(0, 255, 0));
        QCOMPARE(target.image().pixel(4, 6), qRgb(255, 255, 255));
        s.PaintPicture(&target, 0, 0, 2, 1, 0, 0, SRCAND);
        QCOMPARE(target.image().pixel(1, 0), qRgb(11, 2, 200));
        QCOMPARE(target.image().pixel(2, 0), qRgb(255, 255, 255));
    }

    void drawingOnTheContextReachesMemory() {
        cDIBSection s;
        s.CreateFromPicture(StdPicture(gradient(5, 5)));
        SetPixel(s.hdc(), 1, 0, 0x0000FF); // red, top row
        const uint8_t* top = s.DIBSectionBitsPtr() + size_t(s.BytesPerScanLine()) * 4;
        QCOMPARE(int(top[3]), 0);
        QCOMPARE(int(top[5]), 255);
        // A blit within the section itself: the top-left 2x2 copied to (3, 3).
        s.PaintPicture(s.hdc(), 3, 3, 2, 2, 0, 0);
        QCOMPARE(memoryPixel(s, 4, 3), qRgb(255, 0, 0));
        QCOMPARE(memoryPixel(s, 3, 4), qRgb(1, 12, 200));
    }

    void clearUpEmptiesButKeepsTheSize() {
        cDIBSection s;
        QVERIFY(s.Create(7, 3));
        s.ClearUp();
        QVERIFY(!s.hdc());
        QCOMPARE(s.hDib(), uintptr_t(0));
        QVERIFY(!s.DIBSectionBitsPtr());
        QCOMPARE(s.Width(), 7);
        QCOMPARE(s.Height(), 3);
        // Blits on an empty section do nothing.
        DeviceContext target(QImage(4, 4, QImage::Format_RGB32));
        target.image().fill(Qt::white);
        s.PaintPicture(&target);
        s.LoadPictureBlt(&target);
        QCOMPARE(target.image().pixel(0, 0), qRgb(255, 255, 255));
        QVERIFY(!s.CopyToClipboard(false));
    }

    void clipboardTakesAnImageOnlyWhenNotAsDIB() {
        cDIBSection s;
        s.CreateFromPicture(StdPicture(gradient(6, 5)));
        QGuiApplication::clipboard()->clear();
        QVERIFY(!s.CopyToClipboard());
        QVERIFY(!s.CopyToClipboard(true));
        QVERIFY(QGuiApplication::clipboard()->image().isNull());
        QVERIFY(s.CopyToClipboard(false));
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), QSize(6, 5));
        QCOMPARE(copied.pixel(5, 4), qRgb(51, 42, 200));
    }

    void randomFillWritesPixelsButNotPadding_data() {
        QTest::addColumn<bool>("gray");
        QTest::newRow("colour") << false;
        QTest::newRow("gray") << true;
    }
    void randomFillWritesPixelsButNotPadding() {
        QFETCH(bool, gray);
        cDIBSection s;
        QVERIFY(s.Create(41, 30)); // 123 bytes of pixels, 1 of padding per row
        uint8_t* bits = s.DIBSectionBitsPtr();
        std::memset(bits, 0xAB, s.SectionInfo.biSizeImage);
        s.RandomiseBits(gray);
        QSet<int> greens;
        for (int y = 0; y < 30; ++y) {
            const uint8_t* row = bits + size_t(s.BytesPerScanLine()) * y;
            QCOMPARE(int(row[123]), 0xAB);
            for (int x = 0; x < 41; ++x) {
                const uint8_t* p = row + 3 * x;
                if (gray) {
                    QCOMPARE(p[0], p[1]);
                    QCOMPARE(p[1], p[2]);
                } else {
                    QCOMPARE(int(p[0]), 0);
                }
                greens << p[1];
            }
        }
        QVERIFY2(greens.size() > 100, "levels should spread over 0..255");
        // The context shows the new pixels.
        QCOMPARE(GetPixel(s.hdc(), 0, 29), uint32_t(bits[2] | (bits[1] << 8) | (bits[0] << 16)));
    }

    void resampleMakesTheAskedSize() {
        cDIBSection s;
        s.CreateFromPicture(StdPicture(gradient(20, 10)));
        auto r = s.Resample(100, 200); // height first
        QVERIFY(r);
        QCOMPARE(r->Width(), 200);
        QCOMPARE(r->Height(), 100);
        // The same size is a plain copy.
        auto same = s.Resample(10, 20);
        QVERIFY(same);
        QCOMPARE(std::memcmp(same->DIBSectionBitsPtr(), s.DIBSectionBitsPtr(),
                             s.SectionInfo.biSizeImage),
                 0);
        QVERIFY(!s.Resample(0, 5));
    }

    // Grey sources given as memory rows (bottom first); one target memory pixel checked.
    void resampleIsBilinearVerticalFirst_data() {
        QTest::addColumn<QList<QList<int>>>("source");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("expected");
        // 3x3 -> 2x2: scales 1, target (1, 1) is source (1, 1) exactly.
        QTest::newRow("3x3 centre") << QList<QList<int>>{{1, 2, 3}, {4, 77, 6}, {7, 8, 9}}
                                    << QSize(2, 2) << QPoint(1, 1) << 77;
        // 2x2 -> 4x4: scales 0.25; (2, 1): fy 0.25, fx 0.5. left = 0.75*0 + 0.25*200 = 50,
        // right = 0.75*100 + 0.25*40 = 85, (50 + 85) / 2 = 67.5 -> 68.
        QTest::newRow("half rounds up to even")
            << QList<QList<int>>{{0, 100}, {200, 40}} << QSize(4, 4) << QPoint(2, 1) << 68;
        // right = 0.75*100 + 0.25*32 = 83, (50 + 83) / 2 = 66.5 -> 66.
        QTest::newRow("half rounds down to even")
            << QList<QList<int>>{{0, 100}, {200, 32}} << QSize(4, 4) << QPoint(2, 1) << 66;
        // (0, 2): fy 0.5, fx 0: left = (0 + 201) / 2 = 100.5 -> 100 before the second pass.
        QTest::newRow("vertical pass rounds first")
            << QList<QList<int>>{{0, 0}, {201, 0}} << QSize(4, 4) << QPoint(0, 2) << 100;
    }
    void resampleIsBilinearVerticalFirst() {
        QFETCH(QList<QList<int>>, source);
        QFETCH(QSize, target);
        QFETCH(QPoint, at);
        QFETCH(int, expected);
        cDIBSection s;
        QVERIFY(s.Create(int(source[0].size()), int(source.size())));
        fillGrey(s, source);
        auto r = s.Resample(target.height(), target.width());
        QVERIFY(r);
        const uint8_t* p =
            r->DIBSectionBitsPtr() + size_t(r->BytesPerScanLine()) * at.y() + 3 * at.x();
        for (int c = 0; c < 3; ++c) QCOMPARE(int(p[c]), expected);
    }

    void resamplingASourceOnePixelAcrossFails_data() {
        QTest::addColumn<QSize>("source");
        QTest::newRow("1 wide") << QSize(1, 5);
        QTest::newRow("1 high") << QSize(5, 1);
    }
    void resamplingASourceOnePixelAcrossFails() {
        QFETCH(QSize, source);
        cDIBSection s;
        QVERIFY(s.Create(source.width(), source.height()));
        try {
            s.Resample(3, 3);
            QFAIL("no error raised");
        } catch (const VbError& e) {
            QCOMPARE(e.Number, int32_t(ErrSubscriptOutOfRange));
        }
    }
};

QTEST_MAIN(TestDIBSection)
#include "tst_dibsection.moc"
