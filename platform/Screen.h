#pragma once
// The screen as the program sees it: size in pixels and twips, colour depth and the
// pointer shown over every window. Tests can pretend to another screen.

#include <QSize>
#include <cstdint>

namespace vb {

constexpr int32_t TwipsPerPixel = 15;

constexpr int32_t HORZRES = 8;
constexpr int32_t VERTRES = 10;
constexpr int32_t BITSPIXEL = 12;

constexpr int16_t vbDefault = 0;
constexpr int16_t vbHourglass = 11;
constexpr int16_t vbCustom = 99;

class Screen {
public:
    static int32_t TwipsPerPixelX() { return TwipsPerPixel; }
    static int32_t TwipsPerPixelY() { return TwipsPerPixel; }
    static int32_t PixelWidth();
    static int32_t PixelHeight();
    static int32_t BitsPerPixel();
    // Size in twips.
    static float Width() { return float(PixelWidth() * TwipsPerPixel); }
    static float Height() { return float(PixelHeight() * TwipsPerPixel); }

    static int16_t MousePointer();
    static void SetMousePointer(int16_t pointer);

    // Pretend to a screen of this size and depth (size 0 x 0 returns to the real screen).
    static void Override(QSize pixels, int32_t bitsPerPixel);
};

// Screen metrics by index, as a device context of the whole screen answers them.
int32_t GetDeviceCaps(int32_t index);

} // namespace vb
