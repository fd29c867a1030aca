// The bundled assets and the sample picture library: every resource the windows
// load is there with the size they lay out around, the bubble and brush pictures
// hold the values the painting code depends on, the sounds are playable PCM, and
// every sample picture is clean two-colour line art whose shapes fill on their own.
#include <QColor>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <deque>
#include <vector>

namespace {

const QString kBooks = QStringLiteral(TV_SOURCE_DIR "/resources/books");

// 4-connected flood fill over pure white from (x, y). Returns whether it reached
// the page border; `seen` marks the filled pixels, `area` counts them.
bool fillReachesBorder(const QImage &img, int x, int y, std::vector<char> &seen, int &area)
{
    const int w = img.width(), h = img.height();
    const QRgb white = qRgb(255, 255, 255);
    bool border = false;
    area = 0;
    std::deque<QPoint> todo{QPoint(x, y)};
    seen[size_t(y) * w + x] = 1;
    while (!todo.empty()) {
        const QPoint p = todo.front();
        todo.pop_front();
        ++area;
        if (p.x() == 0 || p.y() == 0 || p.x() == w - 1 || p.y() == h - 1)
            border = true;
        for (const QPoint n : {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)}) {
            if (n.x() < 0 || n.y() < 0 || n.x() >= w || n.y() >= h)
                continue;
            char &s = seen[size_t(n.y()) * w + n.x()];
            if (!s && img.pixel(n) == white) {
                s = 1;
                todo.push_back(n);
            }
        }
    }
    return border;
}

QStringList samplePictures()
{
    QStringList files;
    QDirIterator it(kBooks, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

quint32 le32(const QByteArray &b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); }
quint16 le16(const QByteArray &b, int at) { return qFromLittleEndian<quint16>(b.constData() + at); }

} // namespace

class TestAssets : public QObject {
    Q_OBJECT

private slots:
    void bitmapHasItsSize_data();
    void bitmapHasItsSize();
    void buttonLooksDiffer_data();
    void buttonLooksDiffer();
    void cursorsCarryHotSpots_data();
    void cursorsCarryHotSpots();
    void iconSizes();
    void bubblesAreMaskableBalls();
    void brushes_data();
    void brushes();
    void sounds_data();
    void sounds();
    void libraryHasBooks();
    void samplePicture_data();
    void samplePicture();
};

void TestAssets::bitmapHasItsSize_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    const auto face = [](int id, int w, int h) {
        QTest::newRow(qPrintable(QString::number(id))) << QStringLiteral(":/bitmaps/%1.bmp").arg(id) << QSize(w, h);
    };
    // toolbar: all 92 high
    for (int id : {101, 102})
        face(id, 78, 92);
    for (int id : {146, 147})
        face(id, 106, 92);
    for (int id : {109, 110})
        face(id, 89, 92);
    for (int id : {130, 131, 132})
        face(id, 102, 92);
    for (int id : {106, 107, 108})
        face(id, 95, 92);
    for (int id : {103, 104, 105})
        face(id, 86, 92);
    for (int id : {117, 118, 119})
        face(id, 77, 92);
    for (int id : {143, 144, 145})
        face(id, 99, 92);
    // picture chooser
    face(138, 28, 29);
    face(139, 28, 29);
    face(136, 31, 28);
    face(135, 31, 28);
    face(114, 193, 38);
    face(113, 193, 38);
    face(148, 238, 47);
    face(149, 238, 47);
    face(141, 130, 27);
    face(142, 130, 27);
    face(137, 29, 28);
    face(140, 29, 28);
    // message window
    face(115, 65, 25);
    face(116, 65, 25);
    for (int id : {127, 128, 129})
        face(id, 113, 25);

    const auto design = [](const char *name, int w, int h) {
        QTest::newRow(name) << QStringLiteral(":/design/%1.bmp").arg(QLatin1String(name)) << QSize(w, h);
    };
    design("pFunc0", 22, 22);
    design("pFunc1", 21, 23);
    design("pFunc2", 23, 25);
    design("pFunc3", 12, 21);
    design("pFunc4", 17, 19);
    design("pE0", 21, 23);
    design("pE1", 23, 25);
    design("splash", 590, 480);
    design("firsttime", 573, 393);
}

void TestAssets::bitmapHasItsSize()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFile f(path);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.size() > 54);
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    QCOMPARE(le16(bytes, 28), quint16(24));
    QImage img;
    QVERIFY(img.loadFromData(bytes, "BMP"));
    QCOMPARE(img.size(), size);
}

void TestAssets::buttonLooksDiffer_data()
{
    QTest::addColumn<QList<int>>("faces");
    // up, down and, for latching buttons, pressed
    QTest::newRow("open") << QList<int>{102, 101};
    QTest::newRow("clear") << QList<int>{146, 147};
    QTest::newRow("undo") << QList<int>{110, 109};
    QTest::newRow("crazy") << QList<int>{130, 131, 132};
    QTest::newRow("crayon") << QList<int>{108, 106, 107};
    QTest::newRow("paintbrush") << QList<int>{105, 103, 104};
    QTest::newRow("pencil") << QList<int>{119, 117, 118};
    QTest::newRow("marker") << QList<int>{143, 144, 145};
    QTest::newRow("up arrow") << QList<int>{138, 139};
    QTest::newRow("down arrow") << QList<int>{136, 135};
    QTest::newRow("nevermind") << QList<int>{114, 113};
    QTest::newRow("draw a picture") << QList<int>{148, 149};
    QTest::newRow("more pictures") << QList<int>{141, 142};
    QTest::newRow("ball") << QList<int>{137, 140};
    QTest::newRow("OK") << QList<int>{115, 116};
    QTest::newRow("details") << QList<int>{127, 128, 129};
}

void TestAssets::buttonLooksDiffer()
{
    QFETCH(QList<int>, faces);
    QList<QImage> looks;
    for (int id : faces) {
        looks << QImage(QStringLiteral(":/bitmaps/%1.bmp").arg(id)).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!looks.last().isNull());
    }
    for (qsizetype a = 0; a < looks.size(); ++a)
        for (qsizetype b = a + 1; b < looks.size(); ++b) {
            // a press must show: at least a tenth of the face changes clearly
            int changed = 0;
            for (int y = 0; y < looks[a].height(); ++y)
                for (int x = 0; x < looks[a].width(); ++x) {
                    const QRgb p = looks[a].pixel(x, y), q = looks[b].pixel(x, y);
                    if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) > 30)
                        ++changed;
                }
            QVERIFY2(changed * 10 >= looks[a].width() * looks[a].height(),
                     qPrintable(QStringLiteral("%1 and %2 look alike").arg(faces[a]).arg(faces[b])));
        }
}

void TestAssets::cursorsCarryHotSpots_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("hand") << ":/cursors/101.png";
    QTest::newRow("canvas") << ":/cursors/102.png";
}

void TestAssets::cursorsCarryHotSpots()
{
    QFETCH(QString, path);
    const QImage img(path);
    QCOMPARE(img.size(), QSize(32, 32));
    QVERIFY(img.hasAlphaChannel());
    bool okX = false, okY = false;
    const int x = img.text("HotSpotX").toInt(&okX);
    const int y = img.text("HotSpotY").toInt(&okY);
    QVERIFY(okX && okY);
    QVERIFY(img.rect().contains(x, y));
    // the hot spot lies on the drawn pointer, not in empty space
    QVERIFY(qAlpha(img.pixel(x, y)) > 0);
    // and the pointer leaves most of its square see-through
    int clear = 0;
    for (int j = 0; j < 32; ++j)
        for (int i = 0; i < 32; ++i)
            clear += qAlpha(img.pixel(i, j)) == 0;
    QVERIFY(clear > 32 * 32 / 2);
}

void TestAssets::iconSizes()
{
    for (int size : {16, 32, 48, 96}) {
        const QImage img(QStringLiteral(":/icon/icon%1.png").arg(size));
        QCOMPARE(img.size(), QSize(size, size));
    }
}

void TestAssets::bubblesAreMaskableBalls()
{
    QSet<QRgb> colours;
    int smallest = 1000, largest = 0;
    for (int i = 0; i < 22; ++i) {
        const QString path = QStringLiteral(":/design/pCC%1.bmp").arg(i);
        const QImage img = QImage(path).convertToFormat(QImage::Format_RGB32);
        QVERIFY2(!img.isNull(), qPrintable(path));
        const int w = img.width(), h = img.height();
        QVERIFY2(w >= 16 && w <= 47 && h >= 17 && h <= 43, qPrintable(path));
        smallest = std::min(smallest, w * h);
        largest = std::max(largest, w * h);
        // the surround is what the mask cuts away
        for (const QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)})
            QCOMPARE(img.pixel(corner), qRgb(0, 0, 0));
        const QRgb centre = img.pixel(w / 2, h / 2);
        QVERIFY2(centre != qRgb(0, 0, 0), qPrintable(path));
        colours.insert(centre);
        // exact black inside the ball would punch a hole through the mask
        const double r = std::min(w, h) / 2.0 - 2;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (std::hypot(x - w / 2, y - h / 2) <= r)
                    QVERIFY2(img.pixel(x, y) != qRgb(0, 0, 0),
                             qPrintable(QStringLiteral("%1 at %2,%3").arg(path).arg(x).arg(y)));
    }
    QCOMPARE(colours.size(), 22);
    QCOMPARE(smallest, 16 * 17);
    QCOMPARE(largest, 47 * 43);
}

void TestAssets::brushes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("darkest");
    QTest::newRow("crayon") << ":/design/pBr0.bmp" << QSize(38, 34) << 5;
    QTest::newRow("paintbrush") << ":/design/pBr1.bmp" << QSize(112, 106) << 126;
    QTest::newRow("pencil") << ":/design/pBr2.bmp" << QSize(8, 8) << 165;
}

void TestAssets::brushes()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(int, darkest);
    const QImage img = QImage(path).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(img.size(), size);
    int lowest = 255;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            QVERIFY(qRed(p) == qBlue(p) && qGreen(p) == qBlue(p));
            lowest = std::min(lowest, qBlue(p));
        }
    QCOMPARE(lowest, darkest);
    // the stamp is centred on the pointer at half the last index; its rim leaves the canvas alone
    QCOMPARE(qBlue(img.pixel((size.width() - 1) / 2, (size.height() - 1) / 2)), darkest);
    for (const QPoint corner : {QPoint(0, 0), QPoint(size.width() - 1, 0), QPoint(0, size.height() - 1),
                                QPoint(size.width() - 1, size.height() - 1)})
        QCOMPARE(qBlue(img.pixel(corner)), 255);
}

void TestAssets::sounds_data()
{
    QTest::addColumn<QString>("name");
    for (const char *n : {"POP0", "POP1", "POP2", "POP3", "B0", "B1", "B2", "B3", "B4", "B5", "MESSAGE0",
                          "MESSAGE1", "MESSAGE2", "PRESS0", "PRESS1", "NEW0", "NEW1", "OK", "CANCEL0",
                          "CANCEL1", "CANCEL2", "CANCEL3"})
        QTest::newRow(n) << QString::fromLatin1(n);
}

void TestAssets::sounds()
{
    QFETCH(QString, name);
    QFile f(QStringLiteral(":/sounds/%1.wav").arg(name));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    QVERIFY(b.size() > 44);
    QCOMPARE(b.mid(0, 4), QByteArray("RIFF"));
    QCOMPARE(le32(b, 4), quint32(b.size() - 8));
    QCOMPARE(b.mid(8, 4), QByteArray("WAVE"));
    // walk the chunks: a fmt chunk first, then the samples
    int at = 12;
    quint16 format = 0, channels = 0, bits = 0;
    quint32 rate = 0;
    QByteArray samples;
    while (at + 8 <= b.size()) {
        const QByteArray id = b.mid(at, 4);
        const quint32 len = le32(b, at + 4);
        QVERIFY(at + 8 + qint64(len) <= b.size());
        if (id == "fmt ") {
            format = le16(b, at + 8);
            channels = le16(b, at + 10);
            rate = le32(b, at + 12);
            bits = le16(b, at + 22);
        } else if (id == "data") {
            samples = b.mid(at + 8, int(len));
        }
        at += 8 + int(len) + int(len & 1);
    }
    QCOMPARE(format, quint16(1));
    QCOMPARE(bits, quint16(16));
    QVERIFY(channels >= 1);
    QVERIFY(rate >= 8000);
    const qsizetype frames = samples.size() / (2 * channels);
    QVERIFY(frames > 0);
    const double seconds = double(frames) / rate;
    QVERIFY2(seconds < 1.0, qPrintable(QString::number(seconds)));
    if (name == "OK")
        QVERIFY2(seconds >= 0.3 && seconds <= 0.7, qPrintable(QString::number(seconds)));
    // audible, and starting and ending near silence so nothing clicks
    int peak = 0;
    for (qsizetype i = 0; i < samples.size() / 2; ++i)
        peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(samples.constData() + 2 * i))));
    QVERIFY(peak > 8000);
    const auto sample = [&](qsizetype i) { return std::abs(int(qFromLittleEndian<qint16>(samples.constData() + 2 * i))); };
    QVERIFY(sample(0) < 500);
    QVERIFY(sample(samples.size() / 2 - 1) < 500);
}

void TestAssets::libraryHasBooks()
{
    const QDir books(kBooks);
    const QStringList folders = books.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QVERIFY(folders.size() >= 4);
    int gifs = 0, bmps = 0;
    for (const QString &folder : folders) {
        QCOMPARE(folder, folder.toLower());
        const QStringList files = QDir(books.filePath(folder)).entryList(QDir::Files);
        QVERIFY2(files.size() >= 6 && files.size() <= 10, qPrintable(folder));
        for (const QString &file : files) {
            const QString suffix = QFileInfo(file).suffix().toLower();
            QVERIFY2(suffix == "gif" || suffix == "bmp", qPrintable(file));
            (suffix == "gif" ? gifs : bmps)++;
        }
    }
    QVERIFY(gifs > bmps);
    QVERIFY(bmps > 0);
}

void TestAssets::samplePicture_data()
{
    QTest::addColumn<QString>("file");
    for (const QString &file : samplePictures())
        QTest::newRow(qPrintable(QDir(kBooks).relativeFilePath(file))) << file;
}

void TestAssets::samplePicture()
{
    QFETCH(QString, file);
    const QImage img = QImage(file).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!img.isNull());
    QVERIFY(img.size() == QSize(640, 480) || img.size() == QSize(480, 640));
    // exactly black and white: the fill stops only at an exact colour change
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            QVERIFY2(p == black || p == white, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }

    // the shape under the page centre is closed: from the centre, the first white
    // pixel (past any outline there) fills without reaching the border
    const int w = img.width(), h = img.height();
    int x = w / 2;
    while (x < w && img.pixel(x, h / 2) != white)
        ++x;
    QVERIFY(x < w);
    std::vector<char> seen(size_t(w) * h, 0);
    int area = 0;
    QVERIFY2(!fillReachesBorder(img, x, h / 2, seen, area), "the shape under the centre leaks");
    QVERIFY(area > 200);

    // a picture to colour has many shapes, not one big outline
    std::fill(seen.begin(), seen.end(), 0);
    int enclosed = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!seen[size_t(y) * w + x] && img.pixel(x, y) == white
                && !fillReachesBorder(img, x, y, seen, area) && area >= 50)
                ++enclosed;
    QVERIFY2(enclosed >= 8, qPrintable(QString::number(enclosed)));
}

QTEST_MAIN(TestAssets)
#include "tst_assets.moc"
