#include "BmpLayout.h"

#include "LittleEndian.h"

#include <QFile>

#include <algorithm>
#include <climits>

namespace vb {

namespace {

constexpr uint32_t Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3;
constexpr int FileHeaderSize = 14;
constexpr int CoreHeaderSize = 12;    // the oldest header: 16-bit sizes, 3-byte palette entries
constexpr int MaskedHeaderSize = 108; // the first info header that holds the colour masks

// The header's fields as the file has them, before anything is checked but their presence.
struct Fields {
    uint32_t OffBits = 0, InfoSize = 0;
    int32_t Width = 0, Height = 0;
    uint32_t Planes = 0, BitCount = 0, Compression = 0, Colours = 0;
};

std::optional<Fields> ReadFields(const QByteArray& head) {
    if (head.size() < FileHeaderSize + CoreHeaderSize || !head.startsWith("BM"))
        return std::nullopt;
    Fields f;
    f.OffBits = Le32(head, 10);
    f.InfoSize = Le32(head, FileHeaderSize);
    const int info = FileHeaderSize + 4;
    if (f.InfoSize == CoreHeaderSize) {
        f.Width = int16_t(Le16(head, info));
        f.Height = int16_t(Le16(head, info + 2));
        f.Planes = Le16(head, info + 4);
        f.BitCount = Le16(head, info + 6);
    } else if (f.InfoSize == 40 || f.InfoSize == 64 || f.InfoSize == 108 || f.InfoSize == 124) {
        if (head.size() < FileHeaderSize + 40) return std::nullopt;
        f.Width = int32_t(Le32(head, info));
        f.Height = int32_t(Le32(head, info + 4));
        f.Planes = Le16(head, info + 8);
        f.BitCount = Le16(head, info + 10);
        f.Compression = Le32(head, info + 12);
        f.Colours = Le32(head, info + 28);
    } else {
        return std::nullopt;
    }
    return f;
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
    return IsRle() || fileSize < PixelStart + PixelBytes || QtPixelStart != PixelStart ||
           BitCount == 16 || Compression == BitFields;
}

std::optional<BmpLayout> ReadBmpLayout(const QByteArray& head) {
    const std::optional<Fields> f = ReadFields(head);
    if (!f || f->Height == INT32_MIN || f->Planes != 1) return std::nullopt;
    BmpLayout l;
    l.InfoSize = int(f->InfoSize);
    l.PaletteEntry = f->InfoSize == CoreHeaderSize ? 3 : 4;
    l.Width = f->Width;
    l.TopDown = f->Height < 0;
    l.Height = l.TopDown ? -f->Height : f->Height;
    l.Compression = f->Compression;
    // Far beyond any picture that can be loaded, and small enough that sizes cannot overflow.
    constexpr int32_t MaxSide = 1 << 24;
    if (l.Width <= 0 || l.Height == 0 || l.Width > MaxSide || l.Height > MaxSide)
        return std::nullopt;
    switch (f->BitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        l.BitCount = int(f->BitCount);
        break;
    default:
        return std::nullopt;
    }
    const bool masked = l.Compression == BitFields && (l.BitCount == 16 || l.BitCount == 32);
    if (l.Compression != Rgb && !masked && !l.IsRle()) return std::nullopt;
    if (l.BitCount == 16) l.Masks = {0x7C00, 0x3E0, 0x1F};
    if (l.BitCount >= 24) l.Masks = {0xFF0000, 0xFF00, 0xFF};
    if (masked) {
        const int64_t at = l.MaskStart();
        if (head.size() < at + 12) return std::nullopt;
        l.Masks = {Le32(head, at), Le32(head, at + 4), Le32(head, at + 8)};
    }

    // The reader reads as many palette entries as the header asks for (all the bit count
    // allows when it does not say), and looks for the pixels after them or later, where the
    // file header says. A header that gives the count gives the palette's size, so the
    // pixels cannot start inside it. Where the size is only implied, files often hold fewer
    // colours with their pixels right after them: there the pixels are where the file header
    // says whenever that is past the headers. A start past the file's end is a file cut
    // before its pixels, not a header to mend.
    bool declared = false;
    if (l.BitCount <= 8) {
        if (f->Colours > 256) return std::nullopt;
        declared = f->Colours != 0;
        l.Colours = declared ? int(f->Colours) : 1 << l.BitCount;
    }
    const int64_t afterPalette = l.PaletteStart() + int64_t(l.Colours) * l.PaletteEntry;
    l.QtPixelStart = std::max<int64_t>(f->OffBits, afterPalette);
    const int64_t earliest = declared ? afterPalette : l.PaletteStart();
    l.PixelStart = f->OffBits >= earliest ? f->OffBits : afterPalette;
    if (!l.IsRle()) {
        l.RowBytes = (int64_t(l.Width) * l.BitCount + 31) / 32 * 4;
        l.PixelBytes = l.RowBytes * l.Height;
    }
    return l;
}

std::optional<QSize> ReadBmpSides(const QByteArray& head) {
    const std::optional<Fields> f = ReadFields(head);
    if (!f || f->Width <= 0 || f->Height == 0) return std::nullopt;
    const int64_t height = f->Height < 0 ? -int64_t(f->Height) : f->Height;
    return QSize(f->Width, int(std::min<int64_t>(height, INT_MAX)));
}

bool NeedsOwnBmpDecoder(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const std::optional<BmpLayout> layout = ReadBmpLayout(file.read(256));
    return layout && layout->QtMayMisread(file.size());
}

bool BmpPixelsComplete(const QByteArray& file, const BmpLayout& layout) {
    if (layout.IsRle()) return WalkRle(file, layout) == RleEnd::Stream;
    return !layout.IsShort(file.size());
}

// RLE8 and RLE4 share one stream: pairs (count, index) for runs, and escapes after a zero
// count: 0 end of line, 1 end of bitmap, 2 a move by two further bytes, n >= 3 n literal
// pixels padded to a 16-bit boundary. Counters stay inside the picture: x in 0..Width,
// the row in 0..Height.
RleEnd WalkRle(const QByteArray& file, const BmpLayout& l,
               const std::function<void(const RleStretch&)>& paint) {
    const auto* bytes = reinterpret_cast<const uchar*>(file.constData());
    const int64_t size = file.size();
    const int perByte = l.BitCount == 4 ? 2 : 1;
    int64_t at = l.PixelStart, row = 0;
    int x = 0;
    while (row < l.Height) {
        if (at + 2 > size) return RleEnd::File;
        const uint8_t count = bytes[at], code = bytes[at + 1];
        at += 2;
        if (count != 0) {
            const int n = std::min(int(count), l.Width - x);
            if (n > 0 && paint) paint({row, x, n, nullptr, code});
            x += n;
        } else if (code == 0) {
            x = 0;
            ++row;
        } else if (code == 1) {
            return RleEnd::Stream;
        } else if (code == 2) {
            if (at + 2 > size) return RleEnd::File;
            x = std::min(x + bytes[at], l.Width - 1);
            row = std::min<int64_t>(row + bytes[at + 1], l.Height - 1);
            at += 2;
        } else {
            const int64_t used = (code + perByte - 1) / perByte;
            const int64_t held = std::min(used, size - at);
            // A cut file still sets the pixels it holds.
            const int n = int(std::min<int64_t>({code, held * perByte, l.Width - x}));
            if (n > 0 && paint) paint({row, x, n, bytes + at, 0});
            if (held < used) return RleEnd::File;
            x += std::min(int(code), l.Width - x);
            at += (used + 1) & ~int64_t(1);
        }
    }
    return RleEnd::Stream;
}

} // namespace vb
