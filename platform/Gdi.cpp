#include "Gdi.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vb {

DeviceContext::DeviceContext(QImage image) { setImage(image); }

void DeviceContext::setImage(const QImage& image) {
    image_ = image.format() == QImage::Format_RGB32 ? image
                                                     : image.convertToFormat(QImage::Format_RGB32);
    markAllDirty();
}

void DeviceContext::markDirty(const QRect& r) { dirty_ |= r.intersected(image_.rect()); }

QRect DeviceContext::takeDirty() {
    QRect r = dirty_;
    dirty_ = QRect();
    return r;
}

int32_t GetStretchBltMode(HDC hdc) { return hdc ? hdc->stretchMode : 0; }

int32_t SetStretchBltMode(HDC hdc, int32_t mode) {
    if (!hdc || mode < 1 || mode > 4) return 0;
    const int32_t old = hdc->stretchMode;
    hdc->stretchMode = mode;
    return old;
}

namespace {

// A read-only view of a device-independent bitmap, rows addressed from the top.
struct DibView {
    const uchar* bits = nullptr;
    int width = 0, height = 0, bpp = 0;
    qsizetype stride = 0;
    bool topDown = false;

    static bool make(const void* p, const BITMAPINFOHEADER& h, DibView& v) {
        if (!p || h.biCompression != BI_RGB || (h.biBitCount != 24 && h.biBitCount != 32) ||
            h.biWidth <= 0 || h.biHeight == 0)
            return false;
        v.bits = static_cast<const uchar*>(p);
        v.width = h.biWidth;
        v.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
        v.bpp = h.biBitCount;
        v.stride = h.biBitCount == 32 ? qsizetype(v.width) * 4 : (qsizetype(v.width) * 3 + 3) & ~3;
        v.topDown = h.biHeight < 0;
        return true;
    }
    const uchar* row(int y) const { return bits + stride * (topDown ? y : height - 1 - y); }
};

template <typename Op> inline void applyRow(uint32_t* d, const uint32_t* s, int n, Op op) {
    for (int i = 0; i < n; ++i) d[i] = 0xFF000000u | op(d[i], s[i]);
}

void rasterRow(uint32_t* d, const uint32_t* s, int n, uint32_t rop) {
    switch (rop) {
    case SRCAND: applyRow(d, s, n, [](uint32_t a, uint32_t b) { return a & b; }); break;
    case SRCPAINT: applyRow(d, s, n, [](uint32_t a, uint32_t b) { return a | b; }); break;
    default: applyRow(d, s, n, [](uint32_t, uint32_t b) { return b; }); break;
    }
}

bool knownRop(uint32_t rop) { return rop == SRCCOPY || rop == SRCAND || rop == SRCPAINT; }

// Reads n pixels of a 24-bit row into 32-bit values.
void expand24(const uchar* s, uint32_t* out, int n) {
    for (int i = 0; i < n; ++i, s += 3) out[i] = s[0] | (s[1] << 8) | (s[2] << 16);
}

// 1:1 copy of the source rectangle (sx, sy top-origin, w x h) to (dx, dy), clipped on both
// sides. Returns false when nothing lies inside.
bool blitUnscaled(DeviceContext& dc, int dx, int dy, const DibView& src, int sx, int sy, int w,
                  int h, uint32_t rop) {
    // Clip against the source.
    if (sx < 0) { dx -= sx; w += sx; sx = 0; }
    if (sy < 0) { dy -= sy; h += sy; sy = 0; }
    w = std::min(w, src.width - sx);
    h = std::min(h, src.height - sy);
    // Clip against the destination.
    QImage& img = dc.image();
    if (dx < 0) { sx -= dx; w += dx; dx = 0; }
    if (dy < 0) { sy -= dy; h += dy; dy = 0; }
    w = std::min(w, img.width() - dx);
    h = std::min(h, img.height() - dy);
    if (w <= 0 || h <= 0) return false;

    static thread_local std::vector<uint32_t> scratch;
    if (src.bpp == 24 && scratch.size() < size_t(w)) scratch.resize(w);
    for (int y = 0; y < h; ++y) {
        auto* d = reinterpret_cast<uint32_t*>(img.scanLine(dy + y)) + dx;
        const uchar* s = src.row(sy + y);
        const uint32_t* s32;
        if (src.bpp == 32) {
            s32 = reinterpret_cast<const uint32_t*>(s) + sx;
        } else {
            expand24(s + sx * 3, scratch.data(), w);
            s32 = scratch.data();
        }
        rasterRow(d, s32, w, rop);
    }
    dc.markDirty(QRect(dx, dy, w, h));
    return true;
}

// The source rectangle as a 32-bit image of its own (a view when possible).
QImage sourceImage(const DibView& src, int sx, int sy, int w, int h) {
    if (src.bpp == 32 && src.topDown)
        return QImage(src.row(sy) + qsizetype(sx) * 4, w, h, src.stride, QImage::Format_RGB32);
    QImage out(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* d = reinterpret_cast<uint32_t*>(out.scanLine(y));
        const uchar* s = src.row(sy + y);
        if (src.bpp == 32)
            std::memcpy(d, s + qsizetype(sx) * 4, size_t(w) * 4);
        else
            expand24(s + sx * 3, d, w);
    }
    return out;
}

DibView viewOf(const QImage& img) {
    DibView v;
    v.bits = img.constBits();
    v.width = img.width();
    v.height = img.height();
    v.bpp = 32;
    v.stride = img.bytesPerLine();
    v.topDown = true;
    return v;
}

} // namespace

int32_t StretchDIBits(HDC hdc, int32_t xDest, int32_t yDest, int32_t DestWidth,
                      int32_t DestHeight, int32_t xSrc, int32_t ySrc, int32_t SrcWidth,
                      int32_t SrcHeight, const void* lpBits, const BITMAPINFOHEADER& bmi,
                      uint32_t iUsage, uint32_t rop) {
    DibView src;
    if (!hdc || iUsage != DIB_RGB_COLORS || !knownRop(rop) || !DibView::make(lpBits, bmi, src))
        return 0;
    if (DestWidth <= 0 || DestHeight <= 0 || SrcWidth <= 0 || SrcHeight <= 0) return 0;
    const int top = src.height - ySrc - SrcHeight;

    if (DestWidth == SrcWidth && DestHeight == SrcHeight) {
        blitUnscaled(*hdc, xDest, yDest, src, xSrc, top, SrcWidth, SrcHeight, rop);
        return SrcHeight;
    }

    // Scaled: keep the part of the source rectangle that lies inside the bitmap.
    const QRect wanted(xSrc, top, SrcWidth, SrcHeight);
    const QRect inside = wanted.intersected(QRect(0, 0, src.width, src.height));
    if (inside.isEmpty()) return 0;
    const double fx = double(DestWidth) / SrcWidth, fy = double(DestHeight) / SrcHeight;
    const int dx = xDest + int((inside.left() - wanted.left()) * fx);
    const int dy = yDest + int((inside.top() - wanted.top()) * fy);
    const int dw = std::max(1, int(inside.width() * fx + 0.5));
    const int dh = std::max(1, int(inside.height() * fy + 0.5));
    const QImage part = sourceImage(src, inside.left(), inside.top(), inside.width(),
                                    inside.height());
    const auto mode =
        hdc->stretchMode == HALFTONE ? Qt::SmoothTransformation : Qt::FastTransformation;
    const QImage scaled = part.scaled(dw, dh, Qt::IgnoreAspectRatio, mode)
                              .convertToFormat(QImage::Format_RGB32);
    blitUnscaled(*hdc, dx, dy, viewOf(scaled), 0, 0, dw, dh, rop);
    return SrcHeight;
}

int32_t SetDIBitsToDevice(HDC hdc, int32_t xDest, int32_t yDest, int32_t w, int32_t h,
                          int32_t xSrc, int32_t ySrc, uint32_t StartScan, uint32_t cLines,
                          const void* lpBits, const BITMAPINFOHEADER& bmi, uint32_t ColorUse) {
    DibView src;
    if (!hdc || ColorUse != DIB_RGB_COLORS || !DibView::make(lpBits, bmi, src)) return 0;
    if (StartScan != 0 || cLines == 0 || w <= 0 || h <= 0) return 0;
    const int top = src.height - ySrc - h;
    blitUnscaled(*hdc, xDest, yDest, src, xSrc, top, w, h, SRCCOPY);
    return int32_t(std::min<uint32_t>(cLines, uint32_t(src.height)));
}

int32_t GetDIBits(HDC hdc, uint32_t StartScan, uint32_t cLines, void* lpBits,
                  const BITMAPINFOHEADER& bmi, uint32_t usage) {
    if (!hdc || !lpBits || usage != DIB_RGB_COLORS || bmi.biBitCount != 32 ||
        bmi.biCompression != BI_RGB)
        return 0;
    const QImage& img = hdc->image();
    const int w = bmi.biWidth, h = bmi.biHeight < 0 ? -bmi.biHeight : bmi.biHeight;
    if (w != img.width() || h != img.height() || StartScan >= uint32_t(h)) return 0;
    const int rows = int(std::min<uint32_t>(cLines, uint32_t(h) - StartScan));
    auto* out = static_cast<uchar*>(lpBits);
    const qsizetype stride = qsizetype(w) * 4;
    for (int i = 0; i < rows; ++i) {
        // Scan lines count from the bottom for a bottom-up buffer, from the top otherwise.
        const int scan = int(StartScan) + i;
        const int imgRow = bmi.biHeight < 0 ? scan : h - 1 - scan;
        std::memcpy(out + stride * i, img.constScanLine(imgRow), size_t(stride));
    }
    return rows;
}

int32_t SetDIBits(HDC hdc, uint32_t StartScan, uint32_t cLines, const void* lpBits,
                  const BITMAPINFOHEADER& bmi, uint32_t ColorUse) {
    DibView src;
    if (!hdc || ColorUse != DIB_RGB_COLORS || !DibView::make(lpBits, bmi, src)) return 0;
    if (StartScan != 0) return 0;
    const int rows = int(std::min<uint32_t>(cLines, uint32_t(src.height)));
    blitUnscaled(*hdc, 0, 0, src, 0, 0, src.width, rows, SRCCOPY);
    return rows;
}

int32_t BitBlt(HDC hdcDest, int32_t x, int32_t y, int32_t w, int32_t h, HDC hdcSrc, int32_t xSrc,
               int32_t ySrc, uint32_t rop) {
    if (!hdcDest || !hdcSrc || !knownRop(rop) || w <= 0 || h <= 0) return 0;
    if (hdcDest == hdcSrc) {
        // Overlapping copy within one image: go through a copy of the source.
        const QImage copy = hdcSrc->image().copy();
        return blitUnscaled(*hdcDest, x, y, viewOf(copy), xSrc, ySrc, w, h, rop) ? 1 : 0;
    }
    blitUnscaled(*hdcDest, x, y, viewOf(hdcSrc->image()), xSrc, ySrc, w, h, rop);
    return 1;
}

uint32_t GetPixel(HDC hdc, int32_t x, int32_t y) {
    if (!hdc || x < 0 || y < 0 || x >= hdc->width() || y >= hdc->height()) return CLR_INVALID;
    const auto* row = reinterpret_cast<const uint32_t*>(hdc->image().constScanLine(y));
    return uint32_t(RgbToColorValue(row[x]));
}

uint32_t SetPixel(HDC hdc, int32_t x, int32_t y, int32_t color) {
    if (!hdc || x < 0 || y < 0 || x >= hdc->width() || y >= hdc->height()) return CLR_INVALID;
    auto* row = reinterpret_cast<uint32_t*>(hdc->image().scanLine(y));
    row[x] = ColorValueToRgb(color);
    hdc->markDirty(QRect(x, y, 1, 1));
    return uint32_t(color & 0xFFFFFF);
}

int32_t SetPixelV(HDC hdc, int32_t x, int32_t y, int32_t color) {
    return SetPixel(hdc, x, y, color) == CLR_INVALID ? 0 : 1;
}

namespace {

// A stretch of row y, x1..x2, lying next to a run just filled in row y - dy.
struct Span {
    int x1, x2, y, dy;
};

// What one flood fill looks for: `in` tells whether a pixel still belongs to the area,
// `skip` finds from x the first pixel before `end` whose membership differs from `want`
// (or `end`), `paint` fills [l, r). Painting takes a pixel out of the area.
struct SameColour {
    uint32_t target, fill;

    bool in(const uint32_t* row, int, int x) const { return ((row[x] ^ target) & 0xFFFFFF) == 0; }
    int skip(const uint32_t* row, int, int x, int end, bool want) const {
#if defined(__SSE2__)
        // Four pixels at a time: lines and outlines are short, the areas between them long.
        const __m128i t = _mm_set1_epi32(int(target & 0xFFFFFF));
        const __m128i mask = _mm_set1_epi32(0xFFFFFF);
        const int stop = want ? 0xF : 0;
        for (; x + 4 <= end; x += 4) {
            const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
            const int eq =
                _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(p, mask), t)));
            if (eq != stop) return x + std::countr_zero(unsigned(eq ^ stop));
        }
#endif
        while (x < end && in(row, 0, x) == want) ++x;
        return x;
    }
    void paint(uint32_t* row, int, int l, int r) const {
#if defined(__SSE2__)
        const __m128i f = _mm_set1_epi32(int(fill));
        for (; l + 4 <= r; l += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(row + l), f);
#endif
        std::fill(row + l, row + r, fill);
    }
};

// Everything up to pixels of the border colour, each pixel once.
struct InsideBorder {
    uint32_t border, fill;
    int width;
    uint8_t* seen;

    bool in(const uint32_t* row, int y, int x) const {
        return !seen[size_t(y) * width + x] && (row[x] & 0xFFFFFF) != border;
    }
    int skip(const uint32_t* row, int y, int x, int end, bool want) const {
        while (x < end && in(row, y, x) == want) ++x;
        return x;
    }
    void paint(uint32_t* row, int y, int l, int r) const {
        std::fill(seen + size_t(y) * width + l, seen + size_t(y) * width + r, uint8_t(1));
        std::fill(row + l, row + r, fill);
    }
};

// A span fill: each span is filled in one go, and the row it was reached from is
// looked at again only where the new run overhangs it, so a pixel is read about once.
template <typename Area> QRect spanFill(QImage& img, int x0, int y0, const Area& area) {
    static thread_local std::vector<Span> stack;
    stack.clear();
    const int w = img.width(), h = img.height();
    uchar* base = img.bits();
    const qsizetype stride = img.bytesPerLine();
    int minX = x0, maxX = x0, minY = y0, maxY = y0;
    auto push = [&](int x1, int x2, int y, int dy) {
        if (y >= 0 && y < h) stack.push_back({x1, x2, y, dy});
    };
    push(x0, x0, y0, 1);
    push(x0, x0, y0 - 1, -1);
    while (!stack.empty()) {
        auto [x1, x2, y, dy] = stack.back();
        stack.pop_back();
        auto* row = reinterpret_cast<uint32_t*>(base + stride * y);
        int x = x1;
        if (area.in(row, y, x)) {
            while (x > 0 && area.in(row, y, x - 1)) --x;
            if (x < x1) push(x, x1 - 1, y - dy, -dy);
        }
        while (x1 <= x2) {
            // x is where the run began, x1 where to look for its end.
            const int end = area.skip(row, y, x1, w, true);
            if (end > x) {
                area.paint(row, y, x, end);
                push(x, end - 1, y + dy, dy);
                if (end - 1 > x2) push(x2 + 1, end - 1, y - dy, -dy);
                minX = std::min(minX, x);
                maxX = std::max(maxX, end - 1);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
            x = x1 = area.skip(row, y, end + 1, x2 + 1, false);
        }
    }
    return QRect(QPoint(minX, minY), QPoint(maxX, maxY));
}

} // namespace

int32_t ExtFloodFill(HDC hdc, int32_t x, int32_t y, int32_t color, uint32_t fillType) {
    if (!hdc || x < 0 || y < 0 || x >= hdc->width() || y >= hdc->height()) return 0;
    QImage& img = hdc->image();
    const uint32_t target = ColorValueToRgb(color) & 0xFFFFFF;
    const uint32_t fill = ColorValueToRgb(hdc->fillColor);
    const uint32_t start = reinterpret_cast<const uint32_t*>(img.constScanLine(y))[x] & 0xFFFFFF;

    if (fillType == FLOODSURFACE) {
        if (start != target) return 0;
        if (!hdc->fillSolid || (fill & 0xFFFFFF) == target) return 1;
        const QRect r = spanFill(img, x, y, SameColour{target, fill});
        hdc->markDirty(r);
        return 1;
    }
    if (fillType == FLOODBORDER) {
        if (start == target) return 0;
        if (!hdc->fillSolid) return 1;
        // The fill colour may equal pixels of the area, so remember what was visited.
        std::vector<uint8_t> seen(size_t(img.width()) * img.height(), 0);
        const QRect r = spanFill(img, x, y, InsideBorder{target, fill, img.width(), seen.data()});
        hdc->markDirty(r);
        return 1;
    }
    return 0;
}

int32_t DrawEdge(HDC hdc, RECT& rc, uint32_t edge, uint32_t flags) {
    if (!hdc) return 0;
    QImage& img = hdc->image();
    auto hline = [&](int x0, int x1, int y, uint32_t c) {
        if (y < 0 || y >= img.height()) return;
        auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
        for (int x = std::max(0, x0); x <= std::min(img.width() - 1, x1); ++x) row[x] = c;
    };
    auto vline = [&](int x, int y0, int y1, uint32_t c) {
        if (x < 0 || x >= img.width()) return;
        for (int y = std::max(0, y0); y <= std::min(img.height() - 1, y1); ++y)
            reinterpret_cast<uint32_t*>(img.scanLine(y))[x] = c;
    };
    // Outer then inner ring; each ring has a top-left and a bottom-right colour.
    struct Ring {
        uint32_t edgeBit;
        uint32_t raisedTL, raisedBR, sunkenTL, sunkenBR;
    };
    const Ring rings[2] = {
        {0x3, 0xFFE3E3E3, 0xFF696969, 0xFFA0A0A0, 0xFFFFFFFF}, // outer
        {0xC, 0xFFFFFFFF, 0xFFA0A0A0, 0xFF696969, 0xFFE3E3E3}, // inner
    };
    int l = rc.Left, t = rc.Top, r = rc.Right - 1, b = rc.Bottom - 1;
    for (const Ring& ring : rings) {
        const uint32_t bits = edge & ring.edgeBit;
        if (bits) {
            const bool raised = (bits & 0x5) != 0; // BDR_RAISEDOUTER 1, BDR_RAISEDINNER 4
            const uint32_t tl = raised ? ring.raisedTL : ring.sunkenTL;
            const uint32_t br = raised ? ring.raisedBR : ring.sunkenBR;
            if (flags & 0x1) vline(l, t, b, tl);       // BF_LEFT
            if (flags & 0x2) hline(l, r, t, tl);       // BF_TOP
            if (flags & 0x4) vline(r, t, b, br);       // BF_RIGHT
            if (flags & 0x8) hline(l, r, b, br);       // BF_BOTTOM
            ++l, ++t, --r, --b;
        }
    }
    hdc->markDirty(QRect(QPoint(rc.Left, rc.Top), QPoint(rc.Right - 1, rc.Bottom - 1)));
    return 1;
}

} // namespace vb
