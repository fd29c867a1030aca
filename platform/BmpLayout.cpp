#include "BmpLayout.h"

#include <QFile>

#include <algorithm>

namespace vb {

namespace {

constexpr uint32_t Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3;
constexpr int FileHeaderSize = 14;
constexpr int CoreHeaderSize = 12;    // the oldest header: 16-bit sizes, 3-byte palette entries
constexpr int MaskedHeaderSize = 108; // the first info header that holds the colour masks

uint32_t U16(const QByteArray& b, int at) {
    return uint8_t(b.at(at)) | uint32_t(uint8_t(b.at(at + 1))) << 8;
}

uint32_t U32(const QByteArray& b, int at) {
    return U16(b, at) | U16(b, at + 2) << 16;
}

// RLE8 and RLE4 share one stream: pairs (count, index) for runs, and escapes after a zero
// count: 0 end of line, 1 end of bitmap, 2 a move by two further bytes, n >= 3 n literal
// pixels padded to a 16-bit boundary.
bool RleReachesEnd(const QByteArray& file, int64_t at, bool fourBits) {
    const int64_t size = file.size();
    while (at + 2 <= size) {
        const uint8_t count = uint8_t(file.at(at)), code = uint8_t(file.at(at + 1));
        at += 2;
        if (count != 0 || code == 0) continue;
        if (code == 1) return true;
        if (code == 2) {
            at += 2;
            continue;
        }
        const int64_t literal = fourBits ? (code + 1) / 2 : code;
        at += (literal + 1) & ~int64_t(1);
    }
    return false;
}

} // namespace

bool BmpLayout::IsRle() const {
    return (Compression == Rle8 && BitCount == 8) || (Compression == Rle4 && BitCount == 4);
}

int BmpLayout::MaskBytes() const {
    return Compression == BitFields && InfoSize < MaskedHeaderSize ? 12 : 0;
}

int64_t BmpLayout::MaskStart() const {
    return FileHeaderSize + (InfoSize < MaskedHeaderSize ? InfoSize : 40);
}

int64_t BmpLayout::PaletteStart() const {
    return FileHeaderSize + InfoSize + MaskBytes();
}

int64_t BmpLayout::PixelEnd() const {
    if (IsRle()) return PixelStart;
    return PixelStart + PixelBytes - RowBytes + (int64_t(Width) * BitCount + 7) / 8;
}

bool BmpLayout::IsShort(int64_t fileSize) const {
    return !IsRle() && fileSize < PixelEnd();
}

bool BmpLayout::QtMayMisread(int64_t fileSize) const {
    return IsRle() || fileSize < PixelStart + PixelBytes || QtPixelStart != PixelStart;
}

std::optional<BmpLayout> ReadBmpLayout(const QByteArray& head, int64_t fileSize) {
    if (head.size() < FileHeaderSize + CoreHeaderSize || !head.startsWith("BM"))
        return std::nullopt;
    const uint32_t offBits = U32(head, 10), infoSize = U32(head, FileHeaderSize);
    const int info = FileHeaderSize + 4;
    BmpLayout l;
    uint32_t planes = 0, colours = 0;
    if (infoSize == CoreHeaderSize) {
        l.Width = int16_t(U16(head, info));
        l.Height = int16_t(U16(head, info + 2));
        planes = U16(head, info + 4);
        l.BitCount = int(U16(head, info + 6));
        l.PaletteEntry = 3;
    } else if (infoSize == 40 || infoSize == 64 || infoSize == 108 || infoSize == 124) {
        if (head.size() < FileHeaderSize + 40) return std::nullopt;
        l.Width = int32_t(U32(head, info));
        l.Height = int32_t(U32(head, info + 4));
        planes = U16(head, info + 8);
        l.BitCount = int(U16(head, info + 10));
        l.Compression = U32(head, info + 12);
        colours = U32(head, info + 28);
    } else {
        return std::nullopt;
    }
    l.InfoSize = int(infoSize);
    if (l.Height == INT32_MIN || planes != 1) return std::nullopt;
    l.TopDown = l.Height < 0;
    l.Height = l.TopDown ? -l.Height : l.Height;
    // Far beyond any picture that can be loaded, and small enough that sizes cannot overflow.
    constexpr int32_t MaxSide = 1 << 24;
    if (l.Width <= 0 || l.Height == 0 || l.Width > MaxSide || l.Height > MaxSide)
        return std::nullopt;
    switch (l.BitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return std::nullopt;
    }
    const bool masked = l.Compression == BitFields && (l.BitCount == 16 || l.BitCount == 32);
    if (l.Compression != Rgb && !masked && !l.IsRle()) return std::nullopt;

    // The reader reads as many palette entries as the header asks for (all the bit count
    // allows when it does not say), and looks for the pixels after them or later, where the
    // file header says. Files that start their pixels inside that palette are whole all the
    // same: the pixels are where the file header says whenever that is past the headers.
    if (l.BitCount <= 8) {
        if (colours > 256) return std::nullopt;
        l.Colours = colours != 0 ? int(colours) : 1 << l.BitCount;
    }
    const int64_t afterPalette = l.PaletteStart() + int64_t(l.Colours) * l.PaletteEntry;
    l.QtPixelStart = std::max<int64_t>(offBits, afterPalette);
    const bool offsetSane = offBits >= l.PaletteStart() && offBits <= fileSize;
    l.PixelStart = offsetSane ? offBits : afterPalette;
    if (!l.IsRle()) {
        l.RowBytes = (int64_t(l.Width) * l.BitCount + 31) / 32 * 4;
        l.PixelBytes = l.RowBytes * l.Height;
    }
    return l;
}

bool NeedsOwnBmpDecoder(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const std::optional<BmpLayout> layout = ReadBmpLayout(file.read(256), file.size());
    return layout && layout->QtMayMisread(file.size());
}

bool BmpPixelsComplete(const QByteArray& file, const BmpLayout& layout) {
    if (layout.IsRle()) return RleReachesEnd(file, layout.PixelStart, layout.BitCount == 4);
    return !layout.IsShort(file.size());
}

} // namespace vb
