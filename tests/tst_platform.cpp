// Numbers, the random generator, the window timer, the window lifecycle and pictures
// whose files leave pixels undefined.

#include "BmpDecoder.h"
#include "BmpLayout.h"
#include "BmpSupport.h"
#include "EndProgram.h"
#include "Form.h"
#include "JpegMarkers.h"
#include "JpegSupport.h"
#include "PackSupport.h"
#include "PictureCheck.h"
#include "Screen.h"
#include "StdPicture.h"
#include "TestSupport.h"
#include "Timer.h"
#include "VbError.h"
#include "VbMath.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <bit>
#include <cmath>

using namespace vb;
using testing::BmpShape;

Q_DECLARE_METATYPE(testing::BmpShape)

namespace {

// A window with one control, a field its load step sets and one it never touches.
class SampleForm : public Form {
public:
    PictureArea* box = nullptr;
    int loads = 0, unloads = 0;
    QString Result; // survives an unload
    bool refuseUnload = false;

protected:
    void CreateControls(PictureArea* w) override {
        w->resize(300, 200);
        box = new PictureArea(w);
        box->resize(10, 10);
    }
    void Form_Load() override { ++loads; }
    void Form_Unload(int16_t& cancel) override {
        ++unloads;
        if (refuseUnload) cancel = 1;
    }
};

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void rounding_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expect");
        QTest::newRow("2.5 to 2") << 2.5 << 2;
        QTest::newRow("3.5 to 4") << 3.5 << 4;
        QTest::newRow("-2.5 to -2") << -2.5 << -2;
        QTest::newRow("2.51 up") << 2.51 << 3;
        QTest::newRow("-0.4 to 0") << -0.4 << 0;
    }
    void rounding() {
        QFETCH(double, value);
        QFETCH(int, expect);
        QCOMPARE(CLng(value), expect);
        QCOMPARE(int(CInt(value)), expect);
    }

    void conversionsOverflow_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("kind"); // 0 long, 1 integer, 2 byte
        QTest::newRow("byte 255.5 rounds to 256") << 255.5 << 2;
        QTest::newRow("byte -0.6") << -0.6 << 2;
        QTest::newRow("integer 32767.5") << 32767.5 << 1;
        QTest::newRow("long 2^31") << 2147483648.0 << 0;
        QTest::newRow("long NaN") << std::nan("") << 0;
    }
    void conversionsOverflow() {
        QFETCH(double, value);
        QFETCH(int, kind);
        try {
            if (kind == 0) CLng(value);
            if (kind == 1) CInt(value);
            if (kind == 2) CByte(value);
            QFAIL("no overflow");
        } catch (const VbError& e) {
            QCOMPARE(e.Number, int(ErrOverflow));
        }
        QCOMPARE(int(CByte(254.5)), 254); // half to even stays inside
    }

    void colourValue() {
        QCOMPARE(RGB(1, 2, 3), 1 + 256 * 2 + 65536 * 3);
        QCOMPARE(RGB(300, 0, 256), 255 + 65536 * 255);
    }

    void rndStaysInRangeAndRepeatsWithASeed() {
        SeedRnd(7);
        float lo = 1, hi = 0;
        QVector<float> first;
        for (int i = 0; i < 100000; ++i) {
            const float r = Rnd();
            QVERIFY(r >= 0.0f && r < 1.0f);
            lo = std::min(lo, r);
            hi = std::max(hi, r);
            if (i < 5) first << r;
        }
        QVERIFY(lo < 0.001f && hi > 0.999f);
        SeedRnd(7);
        for (float f : first) QCOMPARE(Rnd(), f);
    }

    void timerNeverBeatsTheClockTick() {
        Timer t(nullptr, 1, false);
        QCOMPARE(t.period(), 15.625);
        int ticks = 0;
        connect(&t, &Timer::Tick, [&] { ++ticks; });
        QElapsedTimer clock;
        clock.start();
        t.setEnabled(true);
        // Ticks missed while the machine is busy are dropped, so how many come in a given
        // time is up to the machine; that none comes early is not.
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 30, 60000);
        t.setEnabled(false);
        const double expected = clock.elapsed() / 15.625;
        QVERIFY2(ticks <= expected + 1,
                 qPrintable(QString("%1 ticks, at most %2 expected").arg(ticks).arg(expected)));
        const int after = ticks;
        QTest::qWait(50);
        QCOMPARE(ticks, after); // off means off
    }

    void loadOnFirstTouchAndUnloadKeepsFields() {
        SampleForm f;
        QVERIFY(!f.IsLoaded());
        f.Me(); // touching the window loads it
        QVERIFY(f.IsLoaded());
        QCOMPARE(f.loads, 1);
        f.Result = "Ok";
        f.Unload();
        QVERIFY(!f.IsLoaded());
        QCOMPARE(f.unloads, 1);
        QCOMPARE(f.Result, QString("Ok"));
        f.Load();
        QCOMPARE(f.loads, 2);
        f.refuseUnload = true;
        f.Unload();
        QVERIFY(f.IsLoaded());
    }

    void modalShowWaitsUntilHiddenOrUnloaded() {
        SampleForm f;
        QVERIFY(testing::whileModal([&] { f.Show(true); },
                                    [&] {
                                        QVERIFY(f.Visible());
                                        f.Hide();
                                    }));
        QVERIFY(f.IsLoaded());
        QVERIFY(testing::whileModal([&] { f.Show(true); }, [&] { f.Unload(); }));
        QVERIFY(!f.IsLoaded());
    }

    void secondaryWindowsAreCentredInTwips() {
        Screen::Override(QSize(1024, 768), 32);
        SampleForm f;
        f.Show();
        QCOMPARE(f.Width(), 300.0f * 15);
        QCOMPARE(f.Left(), float((1024 - 300) / 2 * 15));
        QCOMPARE(f.Top(), float((768 - 200) / 2 * 15));
        QVERIFY(f.Me()->windowFlags() & Qt::FramelessWindowHint);
        f.Unload();
        Screen::Override(QSize(), 0);
    }

    // "picture.bmp" in `dir` holding `bytes`; empty when it cannot be written.
    static QString writePicture(const QTemporaryDir& dir, const QByteArray& bytes) {
        const QString path = dir.filePath("picture.bmp");
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? path : QString();
    }

    // Pixels that an RLE stream skips or a short file never reaches come out white, the
    // same on every load. Rows of the map are top to bottom: w white, r red, g green.
    void undefinedPixelsAreWhite_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("pixels");

        // Bottom row first: three red, end of line, a move by (2, 1), two green.
        const QByteArray skips("\x03\x01\x00\x00" "\x00\x02\x02\x01" "\x02\x02", 10);
        const QStringList skipped{"wwwwwwww", "wwggwwww", "wwwwwwww", "rrrwwwww"};
        QTest::newRow("RLE with skips") << testing::RleBmp(8, 4, skips + QByteArray("\x00\x01", 2))
                                        << skipped;
        QTest::newRow("RLE without end of bitmap") << testing::RleBmp(8, 4, skips) << skipped;
        QTest::newRow("4-bit RLE, end of bitmap mid-row")
            << testing::RleBmp(6, 2, QByteArray("\x03\x12\x00\x01", 4), 4)
            << QStringList{"wwwwww", "rgrwww"};
        // 24 bits: rows of 12 bytes; the file holds one and a half.
        QTest::newRow("24-bit file cut short") << testing::BmpBytes(4, 3, Qt::red).left(54 + 18)
                                               << QStringList{"wwww", "rrww", "rrrr"};
    }

    void undefinedPixelsAreWhite() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, pixels);
        QTemporaryDir dir;
        const QString path = writePicture(dir, file);
        QVERIFY(!path.isEmpty());

        const QImage first = LoadPicture(path).image();
        const QString differs = differsFromMap(first, pixels);
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
        QCOMPARE(LoadPicture(path).image(), first);
    }

    // Where `image` differs from `map` (rows top to bottom: w white, r red, g green), or
    // empty.
    static QString differsFromMap(const QImage& image, const QStringList& map) {
        if (image.size() != QSize(int(map[0].size()), int(map.size())))
            return QString("size %1 x %2").arg(image.width()).arg(image.height());
        const QHash<QChar, QRgb> colours{
            {'w', 0xFFFFFFFF}, {'r', 0xFFFF0000}, {'g', 0xFF00FF00}};
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != colours[map[y][x]])
                    return QString("(%1, %2) is %3").arg(x).arg(y).arg(image.pixel(x, y), 0, 16);
        return QString();
    }

    // However long an RLE stream goes on, it draws inside its picture: runs and literal
    // runs are cut at the end of their row and moves at the last column and row; the
    // stream stays in step after a cut. The wholeness check reads it the same way.
    void rleStaysInsideThePicture_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("pixels");
        QTest::addColumn<bool>("whole");
        const QByteArray end("\x00\x01", 2);
        auto row = [](const char* tag, const QByteArray& file, const QStringList& pixels,
                      bool whole) { QTest::newRow(tag) << file << pixels << whole; };
        // Commands: a run (count, index), end of line (0, 0), a move (0, 2, dx, dy), a
        // literal run (0, count, indexes, padding).
        // Each long run in a row below another (rows are stored bottom-up), which it would
        // spill into uncut.
        row("run past the row's end",
            testing::RleBmp(
                4, 3, QByteArray("\x04\x01\x00\x00\x06\x02\x00\x00\x02\x01", 10) + end),
            {"rrww", "gggg", "rrrr"}, true);
        row("literal run past the row's end",
            testing::RleBmp(3, 3,
                            QByteArray("\x03\x01\x00\x00\x00\x05\x01\x02\x01\x02\x01\x00"
                                       "\x00\x00\x01\x02", 16) + end),
            {"gww", "rgr", "rrr"}, true);
        row("4-bit literal run past the row's end",
            testing::RleBmp(
                3, 2, QByteArray("\x03\x11\x00\x00\x00\x06\x12\x12\x12\x00", 10) + end, 4),
            {"rgr", "rrr"}, true);
        row("move past the last column and row",
            testing::RleBmp(3, 3, QByteArray("\x00\x02\xff\xff\x02\x01", 6) + end),
            {"wwr", "www", "www"}, true);
        row("runs after the last row's end",
            testing::RleBmp(2, 1, QByteArray("\x02\x01\x00\x00\x02\x02", 6) + end), {"rr"}, true);
        row("last row ended, no end of bitmap",
            testing::RleBmp(2, 1, QByteArray("\x02\x01\x00\x00", 4)), {"rr"}, true);
        row("cut inside a literal run", testing::RleBmp(4, 1, QByteArray("\x00\x04\x01\x02", 4)),
            {"rgww"}, false);
        row("cut after the first row", testing::RleBmp(4, 2, QByteArray("\x04\x01", 2)),
            {"wwww", "rrrr"}, false);
        // 2^31 pixels and more in one row of one pixel: about 17 MB.
        row("1 x 1, runs of more than 2^31 pixels",
            testing::RleBmp(1, 1,
                            QByteArray("\xff\x02", 2).repeated(2147483648 / 255 + 10) + end),
            {"g"}, true);
    }

    void rleStaysInsideThePicture() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, pixels);
        QFETCH(bool, whole);
        QCOMPARE(IsWholeBmp(file), whole);
        QTemporaryDir dir;
        const QString path = writePicture(dir, file);
        QVERIFY(NeedsOwnBmpDecoder(path));
        const QString differs = differsFromMap(LoadPicture(path).image(), pixels);
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }

    // Each channel of a 16- or 32-bit pixel is scaled from its own width to 0-255, rounded:
    // a full channel is 255 whatever its width, a missing one 0.
    void channelsScaleByTheirWidth_data() {
        QTest::addColumn<int>("bits");
        QTest::addColumn<QList<uint>>("masks"); // red, green, blue; none: the implied ones
        QTest::addColumn<QList<uint>>("values");
        QTest::addColumn<QList<uint>>("colours");
        const uint white = 0xFFFFFFFF;
        QTest::newRow("16-bit, implied 5-5-5")
            << 16 << QList<uint>{} << QList<uint>{0x7FFF, 0x7C00, 0x4210, 0x0001}
            << QList<uint>{white, 0xFFFF0000, 0xFF848484, 0xFF000008};
        QTest::newRow("16-bit 5-6-5")
            << 16 << QList<uint>{0xF800, 0x7E0, 0x1F} << QList<uint>{0xFFFF, 0x0400, 0x0020}
            << QList<uint>{white, 0xFF008200, 0xFF000400};
        QTest::newRow("32-bit 8-8-8") << 32 << QList<uint>{0xFF0000, 0xFF00, 0xFF}
                                      << QList<uint>{0x123456} << QList<uint>{0xFF123456};
        QTest::newRow("32-bit 10-10-10") << 32 << QList<uint>{0x3FF00000, 0xFFC00, 0x3FF}
                                         << QList<uint>{0x3FFFFFFF, 1023u << 20 | 512u << 10 | 1u}
                                         << QList<uint>{white, 0xFFFF8000};
        QTest::newRow("32-bit 11-11-10")
            << 32 << QList<uint>{0xFFE00000, 0x1FFC00, 0x3FF}
            << QList<uint>{0xFFFFFFFF, 1024u << 21 | 2047u << 10 | 511u}
            << QList<uint>{white, 0xFF80FF7F};
        QTest::newRow("32-bit 7-18-7") << 32 << QList<uint>{0xFE000000, 0x1FFFF80, 0x7F}
                                       << QList<uint>{0xFFFFFFFF, 64u << 25 | 131072u << 7 | 127u}
                                       << QList<uint>{white, 0xFF8180FF};
        QTest::newRow("32-bit, no blue") << 32 << QList<uint>{0xFF0000, 0xFF00, 0}
                                         << QList<uint>{0xFFFFFF} << QList<uint>{0xFFFFFF00};
        QTest::newRow("32-bit, red of all 32 bits")
            << 32 << QList<uint>{0xFFFFFFFF, 0, 0} << QList<uint>{0x80000000, 0xFFFFFFFF}
            << QList<uint>{0xFF800000, 0xFFFF0000};
        QTest::newRow("32-bit 1-1-1")
            << 32 << QList<uint>{4, 2, 1} << QList<uint>{7, 5} << QList<uint>{white, 0xFFFF00FF};
    }

    void channelsScaleByTheirWidth() {
        QFETCH(int, bits);
        QFETCH(QList<uint>, masks);
        QFETCH(QList<uint>, values);
        QFETCH(QList<uint>, colours);
        BmpShape s;
        s.Bits = bits, s.Width = int(values.size()), s.Height = 1;
        if (!masks.isEmpty()) s.Compression = 3, s.Masks = {masks[0], masks[1], masks[2], 0};
        for (const uint v : values) s.Pixels += testing::Le(v, bits / 8);
        s.Pixels += QByteArray(testing::RowBytes(s) - s.Pixels.size(), '\0');
        QTemporaryDir dir;
        const QString path = writePicture(dir, testing::Bmp(s));
        const QImage image = loaded(path);
        QCOMPARE(image.size(), QSize(s.Width, 1));
        for (int x = 0; x < s.Width; ++x)
            QVERIFY2(image.pixel(x, 0) == colours[x],
                     qPrintable(QString("pixel %1 is %2").arg(x).arg(image.pixel(x, 0), 0, 16)));
    }

    // The picture at `path`, or a null image when it is refused.
    static QImage loaded(const QString& path) {
        try {
            return LoadPicture(path).image();
        } catch (const VbError&) {
            return QImage();
        }
    }

    // What a whole 16- or 32-bit file made by testing::Bmp means: each channel of each
    // pixel scaled from its own width to 0-255, rounded.
    static QImage scaledChannels(const BmpShape& s, const QByteArray& file) {
        std::array<uint32_t, 3> masks{0xFF0000, 0xFF00, 0xFF};
        if (s.Bits == 16) masks = {0x7C00, 0x3E0, 0x1F};
        if (s.Compression == 3) masks = {s.Masks[0], s.Masks[1], s.Masks[2]};
        const int rowBytes = testing::RowBytes(s), bytes = s.Bits / 8;
        const qsizetype start = file.size() - qsizetype(rowBytes) * s.Height;
        QImage out(s.Width, s.Height, QImage::Format_RGB32);
        for (int r = 0; r < s.Height; ++r)
            for (int x = 0; x < s.Width; ++x) {
                uint32_t v = 0;
                for (int i = bytes - 1; i >= 0; --i)
                    v = v << 8 | uchar(file[start + qsizetype(r) * rowBytes + x * bytes + i]);
                int c[3];
                for (int k = 0; k < 3; ++k) {
                    const uint32_t m = masks[size_t(k)];
                    const int shift = m ? std::countr_zero(m) : 0;
                    c[k] = m ? int(std::lround(double((v & m) >> shift) * 255 / double(m >> shift)))
                             : 0;
                }
                out.setPixel(x, s.TopDown ? r : s.Height - 1 - r, qRgb(c[0], c[1], c[2]));
            }
        return out;
    }

    // Every layout: whole, the program's decoder gives what Qt's reader gives, except that
    // channels of 16- and 32-bit pixels are scaled by their own width; cut short, it gives
    // the same for every pixel the file holds and white for the rest, the same on every load.
    void ownDecoderShowsEveryLayout_data() {
        QTest::addColumn<BmpShape>("shape");
        for (const bool topDown : {false, true}) {
            const char* order = topDown ? "top-down" : "bottom-up";
            for (const int bits : {1, 4, 8, 16, 24, 32}) {
                BmpShape s;
                s.Bits = bits, s.Width = 13, s.Height = 5, s.TopDown = topDown;
                QTest::addRow("%s %d-bit", order, bits) << s;
            }
            BmpShape s;
            s.Width = 13, s.Height = 5, s.TopDown = topDown;
            s.Bits = 16, s.Compression = 3, s.Masks = {0xF800, 0x7E0, 0x1F, 0};
            QTest::addRow("%s 16-bit fields 5-6-5", order) << s;
            s.Bits = 32, s.Masks = {0xFF0000, 0xFF00, 0xFF, 0};
            QTest::addRow("%s 32-bit fields", order) << s;
            s.Masks = {0x3FF00000, 0xFFC00, 0x3FF, 0};
            QTest::addRow("%s 32-bit fields of 10 bits", order) << s;
            s.Masks = {0xFFE00000, 0x1FFC00, 0x3FF, 0};
            QTest::addRow("%s 32-bit fields 11-11-10", order) << s;
            s.Masks = {0xFE000000, 0x1FFFF80, 0x7F, 0};
            QTest::addRow("%s 32-bit fields 7-18-7", order) << s;
            s.Bits = 16, s.Masks = {0xF00, 0xF0, 0, 0};
            QTest::addRow("%s 16-bit fields 4-4-0", order) << s;
            s.Bits = 32;
            s.InfoSize = 108, s.Masks = {0xFF00, 0xFF0000, 0xFF000000, 0xFF};
            QTest::addRow("%s 32-bit fields with alpha, version 4 header", order) << s;
            s.InfoSize = 124, s.Bits = 16, s.Masks = {0x7C00, 0x3E0, 0x1F, 0x8000};
            QTest::addRow("%s 16-bit fields with alpha, version 5 header", order) << s;
            for (const int bits : {1, 4, 8, 24}) {
                BmpShape os2;
                os2.InfoSize = 12, os2.Bits = bits, os2.Width = 13, os2.Height = 5;
                os2.TopDown = topDown;
                QTest::addRow("%s OS/2 %d-bit", order, bits) << os2;
            }
            BmpShape few;
            few.Bits = 8, few.Colours = 7, few.Width = 13, few.Height = 5, few.TopDown = topDown;
            QTest::addRow("%s 8-bit of 7 colours, indexes past them", order) << few;
            few.Bits = 1, few.Colours = 1;
            QTest::addRow("%s 1-bit of 1 colour", order) << few;
            // Every pixel set: per row a run of 3, a literal run of 10, end of line.
            for (const int bits : {8, 4}) {
                BmpShape rle;
                rle.Bits = bits, rle.Compression = bits == 8 ? 1 : 2, rle.Width = 13;
                rle.Height = 5, rle.TopDown = topDown;
                for (int y = 0; y < rle.Height; ++y) {
                    rle.Pixels += QByteArray{"\x03"} + char(bits == 8 ? y + 1 : (y + 1) * 0x11);
                    rle.Pixels += QByteArray(1, '\0') + char(10);
                    for (int i = 0; i < (bits == 8 ? 10 : 5); ++i)
                        rle.Pixels += char(bits == 8 ? (y * 31 + i * 17) % 256 : (y + i) * 0x17);
                    if (bits == 4) rle.Pixels += '\0';
                    rle.Pixels += QByteArray(2, '\0');
                }
                rle.Pixels += QByteArray("\x00\x01", 2);
                QTest::addRow("%s RLE%d", order, bits) << rle;
            }
        }
    }

    void ownDecoderShowsEveryLayout() {
        QFETCH(BmpShape, shape);
        const QByteArray whole = testing::Bmp(shape);
        const QImage meant =
            shape.Bits >= 16 ? scaledChannels(shape, whole)
                             : QImage::fromData(whole, "BMP").convertToFormat(QImage::Format_RGB32);
        QVERIFY(!meant.isNull());
        QCOMPARE(DecodeBmp(whole), meant);

        const bool rle = shape.Compression == 1 || shape.Compression == 2;
        const qsizetype start =
            whole.size() - shape.Pixels.size() -
            (shape.Pixels.isEmpty() ? testing::RowBytes(shape) * shape.Height : 0);
        const int rowBytes = testing::RowBytes(shape), bits = shape.Bits;
        const int rleRow = shape.Bits == 8 ? 16 : 12; // bytes of a row's stream
        // Where the file is cut, after the pixel start, and whether file row r's pixel x is
        // still in it. A file without a pixel byte is a white page.
        QList<qsizetype> cuts{0, 2 * rleRow, 2 * rleRow + 6};
        const int padding = rowBytes - (shape.Width * bits + 7) / 8;
        if (!rle) cuts = {0, rowBytes / 2 + 1, 2 * rowBytes - 1};
        // Every pixel, without the last row's padding.
        if (!rle && padding > 0) cuts << qsizetype(rowBytes) * shape.Height - padding;
        for (const qsizetype cut : cuts) {
            auto inFile = [&](int r, int x) {
                if (!rle) return qsizetype(r) * rowBytes + ((x + 1) * bits + 7) / 8 <= cut;
                const qsizetype inRow = cut - qsizetype(r) * rleRow;
                const int perByte = bits == 8 ? 1 : 2;
                return inRow >= rleRow || (inRow >= 2 && x < 3) ||
                       (inRow > 4 && x >= 3 && x < 3 + (inRow - 4) * perByte);
            };
            QImage expected = meant;
            for (int r = 0; r < shape.Height; ++r)
                for (int x = 0; x < shape.Width; ++x)
                    if (!inFile(r, x))
                        expected.setPixel(x, shape.TopDown ? r : shape.Height - 1 - r, 0xFFFFFFFF);
            QTemporaryDir dir;
            const QString path = writePicture(dir, whole.left(start + cut));
            QVERIFY(NeedsOwnBmpDecoder(path));
            const QImage first = loaded(path);
            QVERIFY2(first == expected,
                     qPrintable(QString("cut %1 bytes in: %2")
                                    .arg(cut)
                                    .arg(first.isNull() ? "refused" : "other pixels")));
            QCOMPARE(loaded(path), first);
        }
    }

    // A palette shorter than the bits allow, with the pixels right after it: the reader
    // reads a full palette first and takes pixel bytes for colours; the picture is the one
    // a full palette gives.
    void shortPaletteAsFullOne_data() {
        QTest::addColumn<BmpShape>("shape");
        BmpShape s;
        s.Bits = 8, s.Width = 40, s.Height = 30, s.Colours = 16, s.SayColours = false;
        for (int i = 0; i < testing::RowBytes(s) * s.Height; ++i) s.Pixels += char(i * 7 % 16);
        s.InfoSize = 12;
        QTest::newRow("OS/2 header") << s;
        s.TopDown = true;
        QTest::newRow("OS/2 header, top-down") << s;
        s.InfoSize = 40, s.TopDown = false;
        QTest::newRow("count not in the header") << s;
    }

    void shortPaletteAsFullOne() {
        QFETCH(BmpShape, shape);
        QTemporaryDir dir;
        const QString path = writePicture(dir, testing::Bmp(shape));
        QVERIFY(NeedsOwnBmpDecoder(path));
        BmpShape full = shape;
        full.Colours = 0;
        const QImage expected =
            QImage::fromData(testing::Bmp(full), "BMP").convertToFormat(QImage::Format_RGB32);
        QVERIFY(!expected.isNull());
        QCOMPARE(loaded(path), expected);
    }

    // A few bytes can claim any size: beyond what the reader itself would allocate, the
    // file is refused before anything is allocated for it. A JPEG of far more scans than
    // any encoder writes, each a pass over the whole picture, is refused before any.
    void hugeClaimsAreRefused_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("RLE, 40000 x 40000") << testing::RleBmp(40000, 40000, QByteArray("\x00\x01", 2));
        // 24 bits, 20000 x 20000, cut short after its header.
        QByteArray cut = testing::BmpBytes(4, 3, Qt::red).left(54);
        cut.replace(18, 8, QByteArray("\x20\x4e\x00\x00\x20\x4e\x00\x00", 8));
        QTest::newRow("24-bit, 20000 x 20000, no pixels") << cut;
        QTest::newRow("JPEG of one scan more than the most")
            << testing::JpegWritten(16, 16, testing::JpegLayout::Progressive, false,
                                    vb::MaxJpegScans + 1);
    }

    void hugeClaimsAreRefused() {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        const QString path = writePicture(dir, file);
        QVERIFY(NeedsOwnBmpDecoder(path) == file.startsWith("BM"));
        QVERIFY_THROWS_EXCEPTION(VbError, LoadPicture(path));
    }

    void endProgramCanBeIntercepted() {
        testing::EndRecorder ends;
        EndProgram();
        QCOMPARE(ends.count(), 1);
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
