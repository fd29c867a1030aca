// The library scan's memory: what a picture's header says loading it will take, the
// thumbnails fitted straight from the loading stage, and the peak of a whole scan of huge
// pictures, measured by the kernel in a process of its own.

#include "GifSupport.h"
#include "LibraryScan.h"
#include "PackSupport.h"
#include "TestSupport.h"
#include "cNDib.h"

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QtTest>

using namespace vb;
using testing::gif;
using testing::GifShape;

namespace {

bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Line art in colour: rings and a diagonal on white.
QImage lineArt(QSize size) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QPen(QColor(200, 20, 60), 9));
    p.drawEllipse(QRect(QPoint(0, 0), size).adjusted(40, 40, -40, -40));
    p.setPen(QPen(Qt::black, 5));
    p.drawLine(0, 0, size.width(), size.height());
    return img;
}

const char* PeakFolder = "TV_SCAN_PEAK_FOLDER";

} // namespace

Q_DECLARE_METATYPE(testing::GifShape)

class TestScanMemory : public QObject {
    Q_OBJECT
private slots:
    // The header's canvas holds the one the decoder really fills.
    void gifFirstImage_data() {
        QTest::addColumn<GifShape>("shape");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<bool>("second");
        QTest::addColumn<QSize>("decoded"); // when smaller than the canvas
        QTest::newRow("frame fills the screen")
            << GifShape{{30, 20}, {0, 0, 30, 20}} << QSize(30, 20) << false << QSize();
        QTest::newRow("one pixel on a large screen")
            << GifShape{{5600, 5600}, {0, 0, 1, 1}} << QSize(5600, 5600) << false << QSize();
        QTest::newRow("frame past an empty screen")
            << GifShape{{0, 0}, {40, 30, 2, 3}} << QSize(42, 33) << false << QSize();
        QTest::newRow("frame past the screen's edge")
            << GifShape{{20, 20}, {15, 0, 10, 30}} << QSize(25, 30) << false << QSize(20, 20);
        QTest::newRow("see-through")
            << GifShape{{30, 20}, {0, 0, 30, 20}, true} << QSize(30, 20) << true << QSize();
        QTest::newRow("restored after showing, behind a comment")
            << GifShape{{30, 20}, {0, 0, 30, 20}, false, 3, true} << QSize(30, 20) << true
            << QSize();
        QTest::newRow("restored to the background")
            << GifShape{{30, 20}, {0, 0, 30, 20}, false, 2} << QSize(30, 20) << false << QSize();
    }
    void gifFirstImage() {
        QFETCH(GifShape, shape);
        QFETCH(QSize, canvas);
        QFETCH(bool, second);
        QFETCH(QSize, decoded);
        QByteArray bytes = gif(shape);
        QBuffer device(&bytes);
        QVERIFY(device.open(QIODevice::ReadOnly));
        const GifFirstImage first = ReadGifFirstImage(device);
        QCOMPARE(first.Canvas, canvas);
        QCOMPARE(first.NeedsSecondImage, second);
        QCOMPARE(QImage::fromData(bytes).size(), decoded.isValid() ? decoded : canvas);
    }

    void gifFirstImageUnreadable_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray whole = gif({{30, 20}, {0, 0, 30, 20}, true, 0, true});
        QTest::newRow("not a GIF") << QByteArray("BM") + whole.mid(2);
        QTest::newRow("ends in the colour table") << whole.left(20);
        QTest::newRow("ends in the comment") << whole.left(27);
        QTest::newRow("ends in the image's place") << whole.left(whole.indexOf(char(0x2C)) + 5);
        QTest::newRow("trailer before any image") << whole.left(13 + 12) + "\x3b";
    }
    void gifFirstImageUnreadable() {
        QFETCH(QByteArray, bytes);
        QBuffer device(&bytes);
        QVERIFY(device.open(QIODevice::ReadOnly));
        QVERIFY(!ReadGifFirstImage(device).Canvas.isValid());
    }

    void loadingCost_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // empty: line art of `size` saved by Qt
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qint64>("cost");
        const auto g = [](const GifShape& s) { return gif(s); };
        QTest::newRow("BMP") << "a.bmp" << QByteArray() << QSize(30, 20) << qint64(30 * 20 * 8);
        QTest::newRow("JPEG") << "a.jpg" << QByteArray() << QSize(31, 7) << qint64(31 * 7 * 8);
        QTest::newRow("BMP named .gif")
            << "b.gif" << QByteArray() << QSize(9, 9) << qint64(9 * 9 * 8);
        QTest::newRow("opaque GIF")
            << "a.gif" << g({{30, 20}, {0, 0, 30, 20}}) << QSize() << qint64(30 * 20 * 4);
        QTest::newRow("see-through GIF")
            << "t.gif" << g({{30, 20}, {0, 0, 30, 20}, true}) << QSize() << qint64(30 * 20 * 8);
        QTest::newRow("GIF of one pixel on a large screen")
            << "c.gif" << g({{5600, 5600}, {0, 0, 1, 1}}) << QSize() << qint64(5600) * 5600 * 4;
        // Decoded by the program, which holds the file's bytes too.
        const QByteArray rle = testing::RleBmp(30, 20, QByteArray("\x00\x01", 2));
        QTest::newRow("RLE BMP") << "r.bmp" << rle << QSize() << qint64(30 * 20 * 8 + rle.size());
        const QByteArray cut = testing::BmpBytes(30, 20).chopped(1);
        QTest::newRow("BMP cut short")
            << "s.bmp" << cut << QSize() << qint64(30 * 20 * 8 + cut.size());
        // Sides of 2^31 - 1 claimed in 54 bytes: no reader decodes more than 16384 x 16384.
        QByteArray huge = testing::BmpBytes(1, 1).left(54);
        huge.replace(18, 8, QByteArray("\xff\xff\xff\x7f\xff\xff\xff\x7f", 8));
        QTest::newRow("BMP claiming 2^31 - 1 x 2^31 - 1")
            << "h.bmp" << huge << QSize() << qint64(16384) * 16384 * 8;
        QTest::newRow("damaged GIF")
            << "d.gif" << QByteArray("GIF89a damaged") << QSize() << qint64(-1);
        QTest::newRow("no picture") << "e.bmp" << QByteArray("hello") << QSize() << qint64(-1);
    }
    void loadingCost() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QFETCH(qint64, cost);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (bytes.isEmpty())
            QVERIFY(lineArt(size).save(path, name.endsWith(".jpg") ? "JPG" : "BMP"));
        else
            QVERIFY(write(path, bytes));
        QCOMPARE(LoadingCost(path, -1), cost);
    }

    // Fitted from the stage's pixels, a thumbnail is the one fitted from a buffer copy of
    // them, for huge pictures as for small, at every parity of the box.
    void thumbnailEqualsBufferRoute_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("box");
        for (const QString name : {"huge.jpg", "wide.bmp", "see-through.gif", "needle.bmp"})
            for (const QPoint box : {QPoint(6, 1), QPoint(111, 106), QPoint(217, 2)})
                QTest::addRow("%s at %d,%d", qPrintable(name), box.x(), box.y()) << name << box;
    }
    void thumbnailEqualsBufferRoute() {
        QFETCH(QString, name);
        QFETCH(QPoint, box);
        static QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (!QFile::exists(path)) {
            if (name == "see-through.gif")
                QVERIFY(write(path, gif({{1201, 803}, {0, 0, 1201, 803}, true})));
            else
                QVERIFY(lineArt(name == "huge.jpg"   ? QSize(5600, 5600)
                                : name == "wide.bmp" ? QSize(3001, 1999)
                                                     : QSize(13, 1000))
                            .save(path));
        }
        const int32_t stage = 0x30C0A0;
        DeviceContext old(QImage(330, 210, QImage::Format_RGB32));
        old.image().fill(Qt::white);
        DeviceContext made(old.image().copy());
        cNDib buffer;
        LoadIntoBuffer(path, stage, buffer);
        buffer.Set_dib_Fit(&old, box.x(), box.y(), 100, 100);
        const Thumbnail t = MakeThumbnail(path, stage, box);
        DeviceContext pixels(t.Pixels);
        BitBlt(&made, t.At.x(), t.At.y(), pixels.width(), pixels.height(), &pixels, 0, 0, SRCCOPY);
        QCOMPARE(made.image(), old.image());
    }

    // 20 pictures of 5600 x 5600 on every core this process may use, half of them
    // see-through: the scan's workers never hold more than the budget allows.
    void scanPeakStaysBounded() {
        testing::ProgramFolder folder;
        const QString book = folder.file("books/huge");
        QVERIFY(QDir().mkpath(book));
        for (int k = 0; k < 20; ++k)
            QVERIFY(write(book + QStringLiteral("/%1.gif").arg(k, 2, 10, QLatin1Char('0')),
                          gif({{5600, 5600}, {0, 0, 2, 2}, k % 2 == 1})));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(PeakFolder, book);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"scanPeakChild"});
        QVERIFY(child.waitForFinished(120000));
        const QByteArray out = child.readAllStandardOutput();
        QCOMPARE(child.exitCode(), 0);
        const qsizetype at = out.indexOf("peak ");
        QVERIFY2(at >= 0, out.constData());
        const double peakMB = out.mid(at + 5).split('\n')[0].toDouble() / 1024;
        qInfo("scan of 20 pictures of 5600 x 5600: peak %.0f MB", peakMB);
        QVERIFY(peakMB > 125); // a picture was really decoded at full size
        QVERIFY2(peakMB <= 400, qPrintable(QString::number(peakMB)));
    }
    // Run by scanPeakStaysBounded in a process of its own.
    void scanPeakChild() {
        const QString book = qEnvironmentVariable(PeakFolder);
        if (book.isEmpty()) QSKIP("run by scanPeakStaysBounded in a process of its own");
        std::vector<ThumbnailJob> jobs;
        for (const QString& name : ListPictures(book))
            jobs.push_back({book, name, QPoint(6 + 105 * int(jobs.size()), 1)});
        QCOMPARE(jobs.size(), size_t(20));
        ThumbnailMaker maker(jobs, 0xFFFFFF);
        for (size_t i = 0; i < jobs.size(); ++i) {
            Thumbnail t;
            QVERIFY(maker.Take(i, t, {}));
            QVERIFY(!t.Pixels.isNull());
        }
        QFile status("/proc/self/status");
        QVERIFY(status.open(QIODevice::ReadOnly));
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                printf("peak %s\n", line.mid(6).trimmed().split(' ')[0].constData());
        fflush(stdout);
    }
};

QTEST_GUILESS_MAIN(TestScanMemory)
#include "tst_scanmemory.moc"
