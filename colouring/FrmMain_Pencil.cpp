// The magic colouring pencil: a soft line three pixels wide whose side and cap pixels are
// mixed with the canvas by integer weights, every pixel kept inside the stroke's region.

#include "FrmMain.h"
#include "VbMath.h"

#include <array>
#include <cstdlib>

using namespace vb;

namespace {

// Fixed values for the system colours (&H80000000 + index), those of the classic
// standard desktop scheme; the pencil only ever receives plain colours, so these serve
// callers that pass a system colour by mistake.
constexpr std::array<uint32_t, 25> SystemColours = {
    0xC0C0C0, // 0 scroll bar
    0x008080, // 1 desktop
    0x000080, // 2 active caption
    0x808080, // 3 inactive caption
    0xC0C0C0, // 4 menu
    0xFFFFFF, // 5 window
    0x000000, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0xFFFFFF, // 9 caption text
    0xC0C0C0, // 10 active border
    0xC0C0C0, // 11 inactive border
    0x808080, // 12 application workspace
    0x000080, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xC0C0C0, // 15 button face
    0x808080, // 16 button shadow
    0x808080, // 17 grey text
    0x000000, // 18 button text
    0xC0C0C0, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x000000, // 21 3-D dark shadow
    0xC0C0C0, // 22 3-D light
    0x000000, // 23 tool tip text
    0xFFFFE1, // 24 tool tip background
};

} // namespace

// A plain colour value passes unchanged; a system colour becomes its RGB value; anything
// else (a palette index, a negative value, an unknown system colour) is refused with 0.
int32_t FrmMain::TranslateColor(int32_t colour, int32_t palette) {
    Q_UNUSED(palette);
    const uint32_t c = uint32_t(colour);
    switch (c >> 24) {
    case 0x00:
        return colour;
    case 0x02:
        return int32_t(c & 0xFFFFFF); // palette-relative RGB without a palette
    case 0x80: {
        const uint32_t index = c & 0xFFFFFF;
        if (index >= SystemColours.size()) return 0;
        const uint32_t rgb = SystemColours[index];
        return RGB(int32_t(rgb >> 16), int32_t((rgb >> 8) & 0xFF), int32_t(rgb & 0xFF));
    }
    default:
        return 0;
    }
}

void FrmMain::SetRGBComponents(int32_t Color) {
    LineColor = TranslateColor(Color, 0);
    if (LineColor != 0) {
        LineR = LineColor & 255;
        LineG = (LineColor / 256) & 255;
        LineB = LineColor / 65536;
    } else {
        LineR = LineG = LineB = 0;
    }
}

void FrmMain::BlendPixel(int32_t x, int32_t y, int32_t weight, const int32_t& Workon_color) {
    // Out of the region nothing is written, so nothing needs reading either.
    if (RegionMask->Get_Pixel_Long(x, y) != Workon_color) return;
    if (weight > 252) {
        SetPixelV(LineDC, x, y, LineColor);
        return;
    }
    const uint32_t old = GetPixel(LineDC, x, y);
    int32_t r = 0, g = 0, b = 0;
    if (old != 0) {
        r = int32_t(old & 0xFF);
        g = int32_t((old >> 8) & 0xFF);
        b = int32_t((old >> 16) & 0xFF);
    }
    const int32_t keep = 255 - weight;
    SetPixelV(LineDC, x, y,
              RGB((LineR * weight + r * keep) / 256, (LineG * weight + g * keep) / 256,
                  (LineB * weight + b * keep) / 256));
}

void FrmMain::LineGP(HDC hdc, int16_t X1, int16_t Y1, int16_t X2, int16_t Y2, int32_t Color,
                     const int32_t& Workon_color) {
    LineDC = hdc;
    int32_t dx = X2 - X1, dy = Y2 - Y1;
    LineColor = Color;
    int32_t sx = 1, sy = 1;
    if (dx < 0) {
        sx = -1;
        dx = -dx;
    }
    if (dy < 0) {
        sy = -1;
        dy = -dy;
    }
    if (dx + dy == 0) return;
    // No region map yet (no press has been made): nothing may be painted.
    if (!RegionMask || RegionMask->isEmpty()) return;
    SetRGBComponents(Color);

    auto middle = [&](int32_t x, int32_t y) {
        if (RegionMask->Get_Pixel_Long(x, y) == Workon_color) SetPixelV(LineDC, x, y, LineColor);
    };

    if (dx > dy) {
        const int32_t e = (dy * 85) / dx;
        BlendPixel(X1 - sx, Y1 - sy, e, Workon_color);
        BlendPixel(X1 - sx, Y1, 127, Workon_color);
        BlendPixel(X2 + sx, Y2 + sy, e, Workon_color);
        BlendPixel(X2 + sx, Y2, 127, Workon_color);
        int32_t err = dx / 2, x = X1, y = Y1;
        for (int32_t i = 0; i <= dx; ++i) {
            middle(x, y);
            const int32_t a = (err * 255) / dx;
            BlendPixel(x, y - sy, 255 - a, Workon_color);
            BlendPixel(x, y + sy, a, Workon_color);
            err += dy;
            if (err >= dx) {
                err -= dx;
                y += sy;
            }
            x += sx;
        }
    } else {
        const int32_t e = (dx * 85) / dy;
        BlendPixel(X1 - sx, Y1 - sy, e, Workon_color);
        BlendPixel(X1, Y1 - sy, 127, Workon_color);
        BlendPixel(X2 + sx, Y2 + sy, e, Workon_color);
        BlendPixel(X2, Y2 + sy, 127, Workon_color);
        int32_t err = dy / 2, x = X1, y = Y1;
        for (int32_t i = 0; i <= dy; ++i) {
            middle(x, y);
            const int32_t a = (err * 255) / dy;
            BlendPixel(x - sx, y, 255 - a, Workon_color);
            BlendPixel(x + sx, y, a, Workon_color);
            err += dx;
            if (err >= dy) {
                err -= dy;
                x += sx;
            }
            y += sy;
        }
    }
}
