// Shared helpers of the asset generator: output folders, file writers, fonts,
// deterministic noise and a few drawing conveniences.
#pragma once

#include <QColor>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdint>
#include <vector>

namespace gen {

// Root of the resources folder given on the command line.
struct Out {
    QDir root;
    QString path(const QString &relative) const;   // creates the parent folder
};

// 24-bit bottom-up BMP with a fixed header (no alpha, 96 dpi).
bool saveBmp24(const QImage &image, const QString &file);

// PNG through Qt: no time stamps, so repeated runs give the same bytes.
bool savePng(const QImage &image, const QString &file);

// 16-bit PCM mono WAVE at the program's rate.
constexpr int kSampleRate = 22050;
bool saveWav(const std::vector<double> &samples, const QString &file);

// Fonts loaded by file path so the output does not depend on fontconfig's choice.
QString kidFontFamily();      // Comic Neue Bold
QString plainFontFamily();    // DejaVu Sans Bold
QFont kidFont(double pixelSize);
// The colours of lettering that changes colour letter by letter.
const std::vector<QColor> &rainbowLetters();
QFont plainFont(double pixelSize);

// Deterministic pseudo-random numbers and 2-D value noise.
class Rng {
public:
    explicit Rng(uint64_t seed) : m_state(seed) {}
    uint64_t next();
    double uniform();                           // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
private:
    uint64_t m_state;
};
double noise2(double x, double y, uint32_t seed);          // [0, 1)
double fbm(double x, double y, uint32_t seed, int octaves); // [0, 1)

double clamp01(double v);
double smoothstep(double e0, double e1, double x);
QColor mix(const QColor &a, const QColor &b, double t);     // t = 0 gives a
QColor lighter(const QColor &c, double t);                   // toward white
QColor darker(const QColor &c, double t);                    // toward black

// Image with RGB32 white background and an antialiasing painter helper.
QImage blank(int w, int h, const QColor &fill = Qt::white);

// Converts the pixels of a grey picture into a disabled look (washed out).
QImage washedOut(const QImage &src, const QColor &background = Qt::white);

} // namespace gen

// One function per kind of asset; each writes its files below the root.
void makeFaces(const gen::Out &out);
void makeSmallButtons(const gen::Out &out);
void makeBubbles(const gen::Out &out);
void makeBrushes(const gen::Out &out);
void makeSounds(const gen::Out &out);
void makeScenes(const gen::Out &out);     // splash and first-run backgrounds
void makeIconAndCursors(const gen::Out &out);
void makeBooks(const gen::Out &out);
