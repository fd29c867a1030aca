// Brush shapes: grey pictures whose blue value is the stamp's transparency
// (255 leaves the canvas alone, low values lay down paint).
#include "common.h"

#include <cmath>

using namespace gen;

namespace {

// Soft elliptic blob centred where the stamping routine puts the pointer
// (half of the last index), darkest exactly at that pixel.
QImage blob(int w, int h, int darkest, double rx, double ry, double solid)
{
    QImage img = blank(w, h);
    const int cx = (w - 1) / 2;
    const int cy = (h - 1) / 2;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double dx = (x - cx) / rx;
            const double dy = (y - cy) / ry;
            const double d = std::sqrt(dx * dx + dy * dy);
            const double t = smoothstep(solid, 1.0, d);
            const int v = std::min(255, int(std::lround(darkest + (255 - darkest) * t)));
            img.setPixelColor(x, y, QColor(v, v, v));
        }
    }
    return img;
}

} // namespace

void makeBrushes(const Out &out)
{
    saveBmp24(blob(38, 34, 5, 17.0, 15.5, 0.35), out.path("assets/design/pBr0.bmp"));
    saveBmp24(blob(112, 106, 126, 54.0, 50.0, 0.15), out.path("assets/design/pBr1.bmp"));
    saveBmp24(blob(8, 8, 165, 3.6, 3.6, 0.0), out.path("assets/design/pBr2.bmp"));
}
