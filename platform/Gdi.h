#pragma once
// Drawing contexts over persistent images and the bitmap, pixel and flood-fill calls the
// program makes on them. A context owns one 32-bit image (QImage::Format_RGB32, the
// same byte order as a 32-bit device-independent bitmap) and remembers the rectangle
// drawn since it was last shown, so that showing it stays cheap.

#include <QImage>
#include <QRect>
#include <cstdint>

namespace vb {

#pragma pack(push, 1)
struct BITMAPINFOHEADER {
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RECT {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

constexpr uint32_t DIB_RGB_COLORS = 0;
constexpr uint32_t BI_RGB = 0;
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCAND = 0x008800C6;
constexpr uint32_t SRCPAINT = 0x00EE0086;
constexpr int32_t BLACKONWHITE = 1;
constexpr int32_t COLORONCOLOR = 3;
constexpr int32_t HALFTONE = 4;
constexpr uint32_t FLOODBORDER = 0;
constexpr uint32_t FLOODSURFACE = 1;
constexpr uint32_t CLR_INVALID = 0xFFFFFFFF;
constexpr uint32_t EDGE_RAISED = 5;
constexpr uint32_t BF_RECT = 15;

class DeviceContext {
public:
    DeviceContext() = default;
    explicit DeviceContext(QImage image);

    QImage& image() { return image_; }
    const QImage& image() const { return image_; }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }

    // Replaces the image (converted to RGB32); the whole area counts as drawn.
    void setImage(const QImage& image);

    // Drawn-since-shown bookkeeping.
    void markDirty(const QRect& r);
    void markAllDirty() { markDirty(image_.rect()); }
    QRect takeDirty();
    QRect dirty() const { return dirty_; }

    // The colour value a flood fill paints with, and whether the fill brush is solid.
    int32_t fillColor = 0;
    bool fillSolid = false;
    int32_t stretchMode = BLACKONWHITE;

private:
    QImage image_;
    QRect dirty_;
};

using HDC = DeviceContext*;

// Colour value (R + 256 G + 65536 B) <-> QRgb.
inline uint32_t ColorValueToRgb(int32_t c) {
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline int32_t RgbToColorValue(uint32_t rgb) {
    return static_cast<int32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

int32_t GetStretchBltMode(HDC hdc);
int32_t SetStretchBltMode(HDC hdc, int32_t mode);

// Draws a rectangle of a device-independent bitmap (24 or 32 bits, top-down when
// biHeight < 0). Source rows are counted from the bitmap's bottom edge: the rectangle
// drawn is the one whose top row, counted from the top, is |biHeight| - ySrc - SrcHeight.
// Returns the number of rows drawn, 0 on failure.
int32_t StretchDIBits(HDC hdc, int32_t xDest, int32_t yDest, int32_t DestWidth,
                      int32_t DestHeight, int32_t xSrc, int32_t ySrc, int32_t SrcWidth,
                      int32_t SrcHeight, const void* lpBits, const BITMAPINFOHEADER& bmi,
                      uint32_t iUsage, uint32_t rop);

// Copies a rectangle of a bitmap unscaled; source rows counted as for StretchDIBits.
// Returns cLines on success, 0 on failure.
int32_t SetDIBitsToDevice(HDC hdc, int32_t xDest, int32_t yDest, int32_t w, int32_t h,
                          int32_t xSrc, int32_t ySrc, uint32_t StartScan, uint32_t cLines,
                          const void* lpBits, const BITMAPINFOHEADER& bmi, uint32_t ColorUse);

// Reads the rows of a context's image into a 32-bit buffer described by bmi.
int32_t GetDIBits(HDC hdc, uint32_t StartScan, uint32_t cLines, void* lpBits,
                  const BITMAPINFOHEADER& bmi, uint32_t usage);
// Writes the rows of a 32-bit or 24-bit buffer into a context's image.
int32_t SetDIBits(HDC hdc, uint32_t StartScan, uint32_t cLines, const void* lpBits,
                  const BITMAPINFOHEADER& bmi, uint32_t ColorUse);

int32_t BitBlt(HDC hdcDest, int32_t x, int32_t y, int32_t w, int32_t h, HDC hdcSrc, int32_t xSrc,
               int32_t ySrc, uint32_t rop);

uint32_t GetPixel(HDC hdc, int32_t x, int32_t y);
uint32_t SetPixel(HDC hdc, int32_t x, int32_t y, int32_t color);
int32_t SetPixelV(HDC hdc, int32_t x, int32_t y, int32_t color);

// FLOODSURFACE fills the 4-connected area of exactly `color`; FLOODBORDER fills up to
// `color`. Paints with the context's fill colour when its brush is solid.
int32_t ExtFloodFill(HDC hdc, int32_t x, int32_t y, int32_t color, uint32_t fillType);

// The raised 3-D frame: light outer top-left, dark outer bottom-right, two pixels a side.
int32_t DrawEdge(HDC hdc, RECT& rc, uint32_t edge, uint32_t flags);

} // namespace vb
