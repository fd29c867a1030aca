#include "mMain_Stamp.h"

#include "VbMath.h"
#include "mMain_Swatch.h"

#include <cmath>

using namespace vb;

namespace {

// A brush byte b keeps b/255 of the old pixel and lays 1 - b/255 of the paint, both held
// in single precision so the results match the blend the brushes were designed with.
struct AlphaTable {
    float a[256];
    float ia[256];
    AlphaTable() {
        for (int b = 0; b < 256; ++b) {
            a[b] = float(b / 255.0);
            ia[b] = 1.0f - a[b];
        }
    }
};
const AlphaTable& alphas() {
    static const AlphaTable table;
    return table;
}

inline uint8_t mix(uint8_t old, float a, uint8_t paint, float ia) {
    const float oldPart = float(old) * a;
    const float paintPart = float(paint) * ia;
    // lrint rounds halves to even under the default rounding mode.
    return uint8_t(std::lrint(oldPart + paintPart));
}

// Blends paint into one canvas pixel (blue, green, red bytes at p).
inline void blendInto(uint8_t* p, uint8_t bb, uint8_t R, uint8_t G, uint8_t B) {
    const float a = alphas().a[bb], ia = alphas().ia[bb];
    p[0] = mix(p[0], a, B, ia);
    p[1] = mix(p[1], a, G, ia);
    p[2] = mix(p[2], a, R, ia);
}

} // namespace

void StampBrush(cNDib& Canvas, const cNDib& RegionMap, const cNDib& Brush, int32_t X, int32_t Y,
                int32_t RegionColor, int32_t Color, const cNDib* Pattern, HDC hDC, int32_t PatternX,
                int32_t PatternY, float Scale, int32_t OriginX, int32_t OriginY) {
    const int32_t hw = Brush.Width() / 2, hh = Brush.Height() / 2;
    const int32_t CW = Canvas.Width(), CH = Canvas.Height();
    const int32_t x0 = X - hw < 0 ? 0 : X - hw;
    const int32_t y0 = Y - hh < 0 ? 0 : Y - hh;
    const int32_t x1 = X + hw > CW ? CW + 1 : X + hw + 1;
    const int32_t y1 = Y + hh > CH ? CH + 1 : Y + hh + 1;
    // Brush pixel under canvas pixel (x, y) is (x - bx, y - by).
    const int32_t bx = X - hw, by = Y - hh;

    // Buffers whose pixel array matches their header can be indexed directly.
    auto whole = [](const cNDib& d) {
        return !d.isEmpty() && d.Bits.size() >= size_t(d.w()) * size_t(d.h()) * 4;
    };
    const bool canPaint = whole(Canvas) && whole(Brush);

    if (canPaint && Color >= 0) {
        uint8_t R = 0, G = 0, B = 0;
        SplitRGB(Color, R, G, B);
        // The region test compares stored pixels with the region colour in stored byte
        // order; a map of the canvas's own size is read row by row.
        const bool sameGrid =
            whole(RegionMap) && RegionMap.w() == Canvas.w() && RegionMap.h() == Canvas.h();
        const bool anyRegion = RegionColor >= 0 && RegionColor <= 0xFFFFFF;
        const uint32_t key = ColorValueToRgb(RegionColor) & 0xFFFFFF;
        for (int32_t y = y0; y < y1; ++y) {
            uint8_t* crow = Canvas.pixel(0, y);
            const uint8_t* brow = Brush.pixel(0, y - by);
            const uint32_t* mrow =
                sameGrid ? reinterpret_cast<const uint32_t*>(RegionMap.pixel(0, y)) : nullptr;
            for (int32_t x = x0; x < x1; ++x) {
                if (mrow) {
                    if (!anyRegion || (mrow[x] & 0xFFFFFF) != key) continue;
                } else if (RegionMap.Get_Pixel_Long(x, y) != RegionColor) {
                    continue;
                }
                const uint8_t bb = brow[4 * (x - bx)];
                if (alphas().ia[bb] == 0.0f) continue;
                blendInto(crow + 4 * x, bb, R, G, B);
            }
        }
    } else if (canPaint && Pattern && !Pattern->isEmpty()) {
        const cNDib& pat = *Pattern;
        const bool tiled = PatternX == -1000 && PatternY == -1000;
        uint8_t R = 0, G = 0, B = 0;
        for (int32_t y = y0; y < y1; ++y) {
            const int32_t py = tiled ? y % (pat.Height() + 1) : y - (Y - PatternY);
            if (py < 0 || py > pat.Height()) continue;
            uint8_t* crow = Canvas.pixel(0, y);
            const uint8_t* brow = Brush.pixel(0, y - by);
            for (int32_t x = x0; x < x1; ++x) {
                const int32_t px = tiled ? x % (pat.Width() + 1) : x - (X - PatternX);
                if (px < 0 || px > pat.Width()) continue;
                const uint8_t bb = brow[4 * (x - bx)];
                if (alphas().ia[bb] == 0.0f) continue;
                pat.Get_Pixel(px, py, R, G, B);
                blendInto(crow + 4 * x, bb, R, G, B);
            }
        }
    }

    if (!hDC) return;
    if (Scale == 1.0f) {
        Canvas.Set_dib_Area(x0, y0, x0, y0, x1 - x0 + 2, y1 - y0 + 2, hDC);
        return;
    }
    const double s = Scale;
    int32_t DX = CLng(s * (OriginX - hw)), DY = CLng(s * (OriginY - hh));
    const int32_t EX = CLng(2 * s * hw + DX), EY = CLng(2 * s * hh + DY);
    if (x0 == 0) DX = 0;
    if (y0 == 0) DY = 0;
    const double grow = Scale > 1.0f ? s : 0.25;
    const int32_t DW = CLng((EX - DX) + grow), DH = CLng((EY - DY) + grow);
    Canvas.Stretch_dib_area(DX, DY, x0, y0, x1 - x0, y1 - y0, DW, DH, hDC);
}
