// Numbers, the random generator, the window timer, the window lifecycle and pictures
// whose files leave pixels undefined.

#include "BmpLayout.h"
#include "EndProgram.h"
#include "PackSupport.h"
#include "StdPicture.h"
#include "Form.h"
#include "Screen.h"
#include "TestSupport.h"
#include "Timer.h"
#include "VbError.h"
#include "VbMath.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace vb;

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
        QTest::qWait(500);
        t.setEnabled(false);
        const double expected = clock.elapsed() / 15.625;
        // Ticks missed while the machine is busy are dropped, so only the upper bound is tight.
        QVERIFY2(ticks >= expected * 0.5 && ticks <= expected + 1,
                 qPrintable(QString("%1 ticks, about %2 expected").arg(ticks).arg(expected)));
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
        QTest::newRow("24-bit file cut short")
            << testing::BmpBytes(4, 3, Qt::red).left(54 + 18)
            << QStringList{"wwww", "wwww", "rrrr"};
    }

    void undefinedPixelsAreWhite() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, pixels);
        QTemporaryDir dir;
        const QString path = writePicture(dir, file);
        QVERIFY(!path.isEmpty());

        const QImage first = LoadPicture(path).image();
        QCOMPARE(first.size(), QSize(int(pixels[0].size()), int(pixels.size())));
        const QHash<QChar, QRgb> colours{
            {'w', 0xFFFFFFFF}, {'r', 0xFFFF0000}, {'g', 0xFF00FF00}};
        for (int y = 0; y < first.height(); ++y)
            for (int x = 0; x < first.width(); ++x)
                QVERIFY2(first.pixel(x, y) == colours[pixels[y][x]],
                         qPrintable(QString("(%1, %2) is %3").arg(x).arg(y).arg(first.pixel(x, y), 0, 16)));
        QCOMPARE(LoadPicture(path).image(), first);
    }

    // A few bytes can claim any size: beyond what the reader itself would allocate, the
    // file is refused before anything is allocated for it.
    void hugeClaimsAreRefused_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("RLE, 40000 x 40000") << testing::RleBmp(40000, 40000, QByteArray("\x00\x01", 2));
        // 24 bits, 20000 x 20000, cut short after its header.
        QByteArray cut = testing::BmpBytes(4, 3, Qt::red).left(54);
        cut.replace(18, 8, QByteArray("\x20\x4e\x00\x00\x20\x4e\x00\x00", 8));
        QTest::newRow("24-bit, 20000 x 20000, no pixels") << cut;
    }

    void hugeClaimsAreRefused() {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        const QString path = writePicture(dir, file);
        QVERIFY(NeedsOwnBmpDecoder(path));
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
