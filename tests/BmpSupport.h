#pragma once
// BMP files of any layout made in memory: header kind, bit depth, row order, palette,
// colour masks and compression, with pixel data given or made up.

#include <QByteArray>
#include <array>
#include <cstdint>

namespace testing {

struct BmpShape {
    int Bits = 24;
    int Width = 5, Height = 4;
    bool TopDown = false;
    int InfoSize = 40;               // 12: the oldest (OS/2) header, 3-byte palette entries
    uint32_t Compression = 0;        // 1 RLE8, 2 RLE4, 3 bit fields
    int Colours = 0;                 // palette entries written; 0: all the bits allow
    bool SayColours = true;          // the count in the header (never in the oldest)
    std::array<uint32_t, 4> Masks{}; // red, green, blue, alpha, for bit fields
    QByteArray Pixels;               // empty: varied bytes filling every row
};

inline QByteArray Le(uint32_t v, int n) {
    QByteArray b;
    for (int i = 0; i < n; ++i) b += char(v >> (8 * i) & 255);
    return b;
}

inline int RowBytes(const BmpShape& s) {
    return (s.Width * s.Bits + 31) / 32 * 4;
}

// Pixels start right after the headers, masks and palette.
inline QByteArray Bmp(const BmpShape& s) {
    const bool core = s.InfoSize == 12;
    const int entry = core ? 3 : 4;
    int colours = s.Colours;
    if (colours == 0 && s.Bits <= 8) colours = 1 << s.Bits;
    QByteArray palette;
    for (int i = 0; i < colours; ++i) { // no entry is white
        palette += char(i * 37 % 251);
        palette += char(i * 91 % 241);
        palette += char(255 - i);
        if (entry == 4) palette += '\0';
    }
    QByteArray pixels = s.Pixels;
    if (pixels.isEmpty()) {
        uint32_t seed = uint32_t(s.Bits * 7919 + s.Width);
        for (int i = 0; i < RowBytes(s) * s.Height; ++i) {
            seed = seed * 1103515245 + 12345;
            pixels += char(seed >> 16);
        }
    }
    const int height = s.TopDown ? -s.Height : s.Height;
    QByteArray info;
    if (core) {
        info = Le(12, 4) + Le(uint32_t(s.Width), 2) + Le(uint32_t(height), 2) + Le(1, 2) +
               Le(uint32_t(s.Bits), 2);
    } else {
        info = Le(uint32_t(s.InfoSize), 4) + Le(uint32_t(s.Width), 4) + Le(uint32_t(height), 4) +
               Le(1, 2) + Le(uint32_t(s.Bits), 2) + Le(s.Compression, 4) +
               Le(uint32_t(pixels.size()), 4) + Le(2835, 4) + Le(2835, 4) +
               Le(s.SayColours && s.Colours ? uint32_t(s.Colours) : 0, 4) + Le(0, 4);
        if (s.InfoSize >= 108)
            for (uint32_t m : s.Masks) info += Le(m, 4);
        info += QByteArray(s.InfoSize - info.size(), '\0');
    }
    QByteArray masks;
    if (s.Compression == 3 && s.InfoSize < 108)
        for (int i = 0; i < 3; ++i) masks += Le(s.Masks[size_t(i)], 4);
    const int offset = 14 + int(info.size() + masks.size() + palette.size());
    return "BM" + Le(uint32_t(offset + pixels.size()), 4) + Le(0, 4) + Le(uint32_t(offset), 4) +
           info + masks + palette + pixels;
}

} // namespace testing
