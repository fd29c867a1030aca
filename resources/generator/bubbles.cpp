// The 22 colour bubbles: shaded balls on pure black. The program masks on exact
// black and reads each bubble's paint colour from its centre pixel, so no ball
// pixel may be (0, 0, 0) and the centre keeps the pure colour.
#include "common.h"

#include <cmath>

using namespace gen;

namespace {

struct Paint {
    const char *name;
    QColor colour;
};

const Paint kPaints[22] = {
    {"red", QColor(228, 30, 36)},       {"orange", QColor(255, 127, 0)},
    {"sunshine", QColor(255, 204, 0)},  {"lemon", QColor(255, 245, 110)},
    {"lime", QColor(150, 220, 40)},     {"green", QColor(30, 165, 60)},
    {"forest", QColor(0, 105, 50)},     {"teal", QColor(0, 160, 150)},
    {"turquoise", QColor(70, 215, 235)}, {"sky", QColor(110, 180, 255)},
    {"blue", QColor(30, 85, 220)},      {"navy", QColor(25, 40, 125)},
    {"purple", QColor(120, 45, 180)},   {"lavender", QColor(195, 155, 245)},
    {"magenta", QColor(225, 35, 175)},  {"pink", QColor(255, 145, 195)},
    {"peach", QColor(255, 205, 160)},   {"brown", QColor(125, 70, 30)},
    {"sand", QColor(215, 170, 105)},    {"grey", QColor(140, 140, 140)},
    {"white", QColor(255, 255, 255)},   {"cherry", QColor(150, 15, 45)},
};

// Colours in an order that mixes light, dark and hue across the sizes.
const int kOrder[22] = {0, 10, 2, 13, 5, 16, 8, 1, 12, 19, 4, 14, 21, 9, 3, 17, 6, 15, 11, 20, 7, 18};

QImage ball(int w, int h, const QColor &c)
{
    QImage img = blank(w, h, Qt::black);
    const double cx = w / 2;          // the centre pixel the program samples
    const double cy = h / 2;
    const double rx = w / 2.0 - 0.5;
    const double ry = h / 2.0 - 0.5;
    constexpr int kSub = 4;           // supersampling for a smooth rim
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int inside = 0;
            for (int sy = 0; sy < kSub; ++sy)
                for (int sx = 0; sx < kSub; ++sx) {
                    const double px = x + (sx + 0.5) / kSub - w / 2.0;
                    const double py = y + (sy + 0.5) / kSub - h / 2.0;
                    if ((px * px) / (rx * rx) + (py * py) / (ry * ry) <= 1.0)
                        ++inside;
                }
            if (inside == 0)
                continue;
            const double dx = (x - cx) / rx;
            const double dy = (y - cy) / ry;
            const double d = std::sqrt(dx * dx + dy * dy);
            // flat in the middle, a little darker toward the rim
            QColor shade = darker(c, 0.35 * smoothstep(0.45, 1.0, d));
            // a soft highlight up and to the left, away from the centre pixel
            const double hx = dx + 0.42;
            const double hy = dy + 0.42;
            const double hl = 1.0 - smoothstep(0.0, 0.32, std::sqrt(hx * hx + hy * hy));
            shade = lighter(shade, 0.75 * hl);
            const double coverage = double(inside) / (kSub * kSub);
            QColor px = darker(shade, 1.0 - coverage);
            // never exactly black on the ball: that would punch a hole in the mask
            if (px.red() == 0 && px.green() == 0 && px.blue() == 0)
                px = QColor(1, 1, 1);
            img.setPixelColor(x, y, px);
        }
    }
    img.setPixelColor(int(cx), int(cy), c);
    return img;
}

} // namespace

void makeBubbles(const Out &out)
{
    for (int i = 0; i < 22; ++i) {
        // sizes spread evenly from 16 x 17 up to 47 x 43
        const int w = 16 + int(std::lround(31.0 * i / 21));
        const int h = 17 + int(std::lround(26.0 * i / 21));
        const QColor c = kPaints[kOrder[i]].colour;
        saveBmp24(ball(w, h, c), out.path(QStringLiteral("assets/design/pCC%1.bmp").arg(i)));
    }
}
