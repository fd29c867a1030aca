// The JPEG writer: pictures come back upright at their size and colours, quality counts,
// an existing file keeps its times and permissions, and a failure leaves it whole.

#include "VbError.h"
#include "cDIBSection.h"
#include "mIntelJPEGLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace vb;

namespace {

// Four 16x16-aligned colour bands from top to bottom, so JPEG blocks never mix them.
const QRgb kBands[4] = {qRgb(220, 30, 30), qRgb(30, 200, 40), qRgb(20, 40, 230),
                        qRgb(240, 240, 240)};

QImage bands(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, kBands[std::min(3, y * 4 / h)]);
    return img;
}

QImage noise(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(7);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, 0xFF000000u | rng.bounded(0x1000000u));
    return img;
}

bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The writer's error number and text, or 0 when it returned.
int32_t saveError(cDIBSection& s, const QString& path, QString* text = nullptr) {
    try {
        if (!SaveJpegFile(s, path, 90)) return -1;
        return 0;
    } catch (const VbError& e) {
        if (text) *text = e.Description;
        if (!e.Source.endsWith(QLatin1String(".mIntelJPEGLibrary"))) return -2;
        return e.Number;
    }
}

} // namespace

class TestJpeg : public QObject {
    Q_OBJECT
private slots:
    void pictureComesBackUprightAtItsSize_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("64x64") << QSize(64, 64);
        QTest::newRow("odd rows and padding 99x67") << QSize(99, 67);
        QTest::newRow("1024x768") << QSize(1024, 768);
    }
    void pictureComesBackUprightAtItsSize() {
        QFETCH(QSize, size);
        QTemporaryDir dir;
        cDIBSection s;
        s.CreateFromPicture(StdPicture(bands(size.width(), size.height())));
        const QString path = dir.filePath("out.jpg");
        QCOMPARE(saveError(s, path), 0);
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        const QImage back = reader.read();
        QCOMPARE(back.size(), size);
        // The middle of each band, away from its edges.
        for (int band = 0; band < 4; ++band) {
            const int y = (2 * band + 1) * size.height() / 8;
            for (int x : {2, size.width() / 2, size.width() - 3})
                QVERIFY2(near(back.pixel(x, y), kBands[band], 6),
                         qPrintable(QString("band %1 at %2,%3").arg(band).arg(x).arg(y)));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.jpg"});
    }

    // The writer reads a section's 32-bit image while it holds the pixels, and its 24-bit
    // bytes once they were handed out; both give the same file, byte for byte.
    void bothPixelRoutesWriteTheSameFile_data() {
        QTest::addColumn<QImage>("picture");
        QTest::newRow("noise, padded rows") << noise(101, 37);
        QTest::newRow("one pixel") << noise(1, 1);
        QImage art(QStringLiteral(TV_SOURCE_DIR "/resources/books/the garden/butterfly.gif"));
        QTest::newRow("library line art") << art;
        QImage coloured = art.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < coloured.height(); ++y)
            for (int x = 0; x < coloured.width(); ++x)
                if (coloured.pixel(x, y) == 0xFFFFFFFF)
                    coloured.setPixel(x, y, qRgb(x * 255 / coloured.width(), 180, y % 256));
        QTest::newRow("coloured line art") << coloured;
    }
    void bothPixelRoutesWriteTheSameFile() {
        QFETCH(QImage, picture);
        QVERIFY(!picture.isNull());
        QTemporaryDir dir;
        cDIBSection fromImage, fromBytes;
        fromImage.CreateFromPicture(StdPicture(picture));
        fromBytes.CreateFromPicture(StdPicture(picture));
        fromBytes.DIBSectionBitsPtr();
        QVERIFY(fromImage.CurrentImage() && !fromBytes.CurrentImage());
        QCOMPARE(saveError(fromImage, dir.filePath("image.jpg")), 0);
        QCOMPARE(saveError(fromBytes, dir.filePath("bytes.jpg")), 0);
        const QByteArray written = contents(dir.filePath("image.jpg"));
        QVERIFY(written.size() > 300);
        QVERIFY(written == contents(dir.filePath("bytes.jpg")));
    }

    void fileIsBaseline() {
        QTemporaryDir dir;
        cDIBSection s;
        s.CreateFromPicture(StdPicture(bands(40, 30)));
        QCOMPARE(saveError(s, dir.filePath("b.jpg")), 0);
        const QByteArray bytes = contents(dir.filePath("b.jpg"));
        QVERIFY(bytes.startsWith("\xFF\xD8"));
        QVERIFY(bytes.contains("\xFF\xC0")); // baseline frame
        QVERIFY(!bytes.contains("\xFF\xC2"));
    }

    void higherQualityIsLargerAndCloser() {
        QTemporaryDir dir;
        cDIBSection s;
        const QImage original = noise(128, 96);
        s.CreateFromPicture(StdPicture(original));
        qint64 lastSize = 0;
        double lastError = 1e18;
        for (int quality : {10, 50, 90, 100}) {
            const QString path = dir.filePath(QString("q%1.jpg").arg(quality));
            QVERIFY(SaveJpegFile(s, path, quality));
            const QImage back(path);
            double error = 0;
            for (int y = 0; y < 96; ++y)
                for (int x = 0; x < 128; ++x)
                    error += std::abs(qGreen(back.pixel(x, y)) - qGreen(original.pixel(x, y)));
            const qint64 size = QFileInfo(path).size();
            QVERIFY2(size > lastSize && error < lastError, qPrintable(QString::number(quality)));
            lastSize = size;
            lastError = error;
        }
    }

    void existingFileKeepsItsTimesAndPermissions() {
        QTemporaryDir dir;
        const QString path = dir.filePath("old.jpg");
        writeFile(path, "not a picture yet");
        const QDateTime modified =
            QDateTime::fromString("2001-02-03T04:05:06.789Z", Qt::ISODateWithMs);
        const QDateTime accessed = QDateTime::fromString("2002-03-04T05:06:07Z", Qt::ISODate);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
            QVERIFY(f.setFileTime(accessed, QFileDevice::FileAccessTime));
        }
        const auto perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path, perms));
        cDIBSection s;
        s.CreateFromPicture(StdPicture(bands(32, 32)));
        QCOMPARE(saveError(s, path), 0);
        const QFileInfo info(path);
        QCOMPARE(info.lastModified().toUTC(), modified);
        QCOMPARE(info.lastRead().toUTC(), accessed);
        QCOMPARE(info.permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                 perms);
        QCOMPARE(QImage(path).size(), QSize(32, 32)); // reading last: it moves the access time
        // A new file simply gets the time of writing.
        QCOMPARE(saveError(s, dir.filePath("new.jpg")), 0);
        QVERIFY(
            QFileInfo(dir.filePath("new.jpg")).lastModified().secsTo(QDateTime::currentDateTime()) <
            60);
    }

    void failureLeavesTheOldFileWhole() {
        QTemporaryDir dir;
        const QString path = dir.filePath("keep.jpg");
        writeFile(path, "the old copy");
        cDIBSection s;
        s.CreateFromPicture(StdPicture(bands(16, 16)));
        s.ClearUp(); // no pixels to write
        QString text;
        QCOMPARE(saveError(s, path, &text), 26001);
        QCOMPARE(text, QString("Failed to save to JPG -1"));
        QCOMPARE(contents(path), QByteArray("the old copy"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.jpg"});
    }

    void folderThatCannotHoldTheFileRaises() {
        QTemporaryDir dir;
        writeFile(dir.filePath("plain"), "a file, not a folder");
        cDIBSection s;
        s.CreateFromPicture(StdPicture(bands(16, 16)));
        QString text;
        QCOMPARE(saveError(s, dir.filePath("plain/inside.jpg"), &text), 26001);
        QCOMPARE(text, QString("Failed to save to JPG -105")); // could not open
        QCOMPARE(contents(dir.filePath("plain")), QByteArray("a file, not a folder"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"plain"});
    }
};

QTEST_MAIN(TestJpeg)
#include "tst_jpeg.moc"
