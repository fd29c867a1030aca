#include "common.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QtEndian>

#include <cmath>
#include <cstdio>

namespace gen {

QString Out::path(const QString &relative) const
{
    const QString full = root.filePath(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    return full;
}

namespace {

void put16(QByteArray &b, uint16_t v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}

void put32(QByteArray &b, uint32_t v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

bool writeFile(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    return f.write(bytes) == bytes.size();
}

} // namespace

bool saveBmp24(const QImage &image, const QString &file)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const int w = img.width();
    const int h = img.height();
    const int stride = (w * 3 + 3) & ~3;
    const uint32_t dataSize = uint32_t(stride) * uint32_t(h);

    QByteArray b;
    b.reserve(int(54 + dataSize));
    b.append("BM", 2);
    put32(b, 54 + dataSize);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, uint32_t(w));
    put32(b, uint32_t(h));
    put16(b, 1);
    put16(b, 24);
    put32(b, 0);            // no compression
    put32(b, dataSize);
    put32(b, 3780);         // 96 dpi
    put32(b, 3780);
    put32(b, 0);
    put32(b, 0);
    for (int y = h - 1; y >= 0; --y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            b.append(char(qBlue(line[x])));
            b.append(char(qGreen(line[x])));
            b.append(char(qRed(line[x])));
        }
        for (int p = w * 3; p < stride; ++p)
            b.append('\0');
    }
    return writeFile(file, b);
}

bool savePng(const QImage &image, const QString &file)
{
    if (!image.save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

bool saveWav(const std::vector<double> &samples, const QString &file)
{
    const uint32_t dataSize = uint32_t(samples.size() * 2);
    QByteArray b;
    b.append("RIFF", 4);
    put32(b, 36 + dataSize);
    b.append("WAVE", 4);
    b.append("fmt ", 4);
    put32(b, 16);
    put16(b, 1);                    // PCM
    put16(b, 1);                    // mono
    put32(b, kSampleRate);
    put32(b, kSampleRate * 2);
    put16(b, 2);
    put16(b, 16);
    b.append("data", 4);
    put32(b, dataSize);
    for (double s : samples) {
        const double c = std::max(-1.0, std::min(1.0, s));
        put16(b, uint16_t(int16_t(std::lround(c * 32767.0))));
    }
    return writeFile(file, b);
}

namespace {

QString loadFamily(const char *file)
{
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
    if (id < 0) {
        std::fprintf(stderr, "font missing: %s\n", file);
        return QStringLiteral("sans-serif");
    }
    return QFontDatabase::applicationFontFamilies(id).value(0);
}

QFont makeFont(const QString &family, double px, bool bold)
{
    QFont f(family);
    f.setPixelSize(int(std::lround(px)));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

} // namespace

QString kidFontFamily()
{
    static const QString family =
        loadFamily("/usr/share/fonts/opentype/comic-neue/ComicNeue-Bold.otf");
    return family;
}

QString plainFontFamily()
{
    static const QString family =
        loadFamily("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    return family;
}

QFont kidFont(double pixelSize) { return makeFont(kidFontFamily(), pixelSize, true); }
QFont plainFont(double pixelSize) { return makeFont(plainFontFamily(), pixelSize, true); }

uint64_t Rng::next()
{
    // splitmix64: small, fast and the same everywhere
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::uniform()
{
    return double(next() >> 11) * (1.0 / 9007199254740992.0);
}

namespace {

double lattice(int x, int y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return double(h & 0xFFFFFF) / double(0x1000000);
}

} // namespace

double noise2(double x, double y, uint32_t seed)
{
    const int x0 = int(std::floor(x));
    const int y0 = int(std::floor(y));
    const double fx = x - x0;
    const double fy = y - y0;
    const double sx = fx * fx * (3 - 2 * fx);
    const double sy = fy * fy * (3 - 2 * fy);
    const double a = lattice(x0, y0, seed);
    const double b = lattice(x0 + 1, y0, seed);
    const double c = lattice(x0, y0 + 1, seed);
    const double d = lattice(x0 + 1, y0 + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

double fbm(double x, double y, uint32_t seed, int octaves)
{
    double sum = 0, amp = 0.5, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * noise2(x, y, seed + uint32_t(i) * 101u);
        norm += amp;
        x *= 2.03;
        y *= 2.03;
        amp *= 0.5;
    }
    return sum / norm;
}

double clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

double smoothstep(double e0, double e1, double x)
{
    const double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

QColor mix(const QColor &a, const QColor &b, double t)
{
    t = clamp01(t);
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QColor lighter(const QColor &c, double t) { return mix(c, Qt::white, t); }
QColor darker(const QColor &c, double t) { return mix(c, Qt::black, t); }

QImage blank(int w, int h, const QColor &fill)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

QImage washedOut(const QImage &src, const QColor &background)
{
    QImage img = src.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int g = qGray(line[x]);
            const QColor grey(g, g, g);
            line[x] = mix(grey, background, 0.45).rgb();
        }
    }
    return img;
}

const std::vector<QColor> &rainbowLetters()
{
    static const std::vector<QColor> c = {QColor(225, 40, 40), QColor(245, 130, 0), QColor(40, 160, 60),
                                          QColor(30, 110, 220), QColor(150, 60, 200), QColor(230, 50, 150)};
    return c;
}

} // namespace gen
