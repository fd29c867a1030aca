#include "BmpDecoder.h"

#include "BmpLayout.h"

#include <QImageIOHandler>

#include <array>
#include <bit>

namespace vb {

namespace {

constexpr uint32_t BitFields = 3;
constexpr QRgb White = 0xFFFFFFFF, Black = 0xFF000000;

uint32_t U32(const QByteArray& b, int64_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | uint8_t(b.at(at + i));
    return v;
}

// One colour of a 16- or 32-bit pixel, scaled as Qt's reader scales it: shifted down to
// its lowest bit and multiplied by 256 / (its largest value + 1), keeping the low 8 bits.
struct Channel {
    uint32_t Mask = 0;
    int Shift = 0;
    uint32_t Scale = 0;

    bool Set(uint32_t mask) {
        Mask = mask;
        Shift = mask == 0 ? 0 : std::countr_zero(mask);
        if ((mask >> Shift) == 0xFFFFFFFF) return false; // the reader refuses it
        Scale = 256 / ((mask >> Shift) + 1);
        return true;
    }
    uint32_t operator()(uint32_t pixel) const { return ((pixel & Mask) >> Shift) * Scale & 0xFF; }
};

class Decoder {
public:
    Decoder(const QByteArray& file, const BmpLayout& l, QImage& image)
        : file_(file), l_(l), image_(image) {}

    bool Run() {
        if (l_.BitCount <= 8) {
            ReadPalette();
        } else if (!ReadMasks()) {
            return false;
        }
        if (l_.IsRle())
            DecodeRle();
        else
            DecodeRows();
        return true;
    }

private:
    // Qt's reader decodes every stream bottom-up and turns top-down pictures over after.
    QRgb* Row(int64_t fileRow) {
        const int y = int(l_.TopDown ? fileRow : l_.Height - 1 - fileRow);
        return reinterpret_cast<QRgb*>(image_.scanLine(y));
    }

    // As Qt converts: an index past the palette is black, but a 1-bit picture of fewer
    // than two colours has white for 1.
    void ReadPalette() {
        palette_.fill(Black);
        const int64_t start = l_.PaletteStart();
        const int64_t end = std::min<int64_t>(l_.PixelStart, file_.size());
        const int64_t room = std::max<int64_t>(0, (end - start) / l_.PaletteEntry);
        const int count = int(std::min<int64_t>(l_.Colours, room));
        for (int i = 0; i < count; ++i) {
            const auto* e = reinterpret_cast<const uchar*>(file_.constData()) + start +
                            int64_t(i) * l_.PaletteEntry;
            palette_[size_t(i)] = qRgb(e[2], e[1], e[0]);
        }
        if (l_.BitCount == 1 && count < 2) palette_[1] = White;
    }

    bool ReadMasks() {
        uint32_t red = 0xFF0000, green = 0xFF00, blue = 0xFF;
        if (l_.BitCount == 16) red = 0x7C00, green = 0x3E0, blue = 0x1F;
        if (l_.Compression == BitFields) {
            const int64_t at = l_.MaskStart();
            if (file_.size() < at + 12) return false;
            red = U32(file_, at), green = U32(file_, at + 4), blue = U32(file_, at + 8);
        }
        return red_.Set(red) && green_.Set(green) && blue_.Set(blue);
    }

    QRgb Pixel(uint32_t value) const {
        if (l_.BitCount <= 8) return palette_[value];
        return qRgb(int(red_(value)), int(green_(value)), int(blue_(value)));
    }

    // Row by row from the pixel start; a row the file ends in keeps the pixels it holds.
    void DecodeRows() {
        const auto* bytes = reinterpret_cast<const uchar*>(file_.constData());
        const int64_t size = file_.size(), bits = l_.BitCount;
        for (int64_t r = 0; r < l_.Height; ++r) {
            const int64_t start = l_.PixelStart + r * l_.RowBytes;
            if (start >= size) return;
            const int64_t inFile = (size - start) * 8 / bits; // whole pixels
            const int width = int(std::min<int64_t>(l_.Width, inFile));
            const uchar* p = bytes + start;
            QRgb* line = Row(r);
            for (int x = 0; x < width; ++x) {
                uint32_t v = 0;
                if (bits < 8) {
                    const int64_t bit = x * bits;
                    v = p[bit / 8] >> (8 - bits - bit % 8) & ((1u << bits) - 1);
                } else {
                    const uchar* q = p + x * bits / 8;
                    for (int i = int(bits / 8) - 1; i >= 0; --i) v = v << 8 | q[i];
                }
                line[x] = Pixel(v);
            }
        }
    }

    // The RLE stream (see BmpLayout.cpp) up to its end, the end of the picture or of the
    // file. Runs past the end of a row are cut there; moves stop at the last column and row,
    // as the reader's do.
    void DecodeRle() {
        const bool four = l_.BitCount == 4;
        int64_t at = l_.PixelStart;
        const int64_t size = file_.size();
        auto next = [&](int& value) {
            if (at >= size) return false;
            value = uint8_t(file_.at(at++));
            return true;
        };
        auto put = [&](int x, int64_t y, int index) {
            if (x < l_.Width) Row(y)[x] = palette_[size_t(index)];
        };
        int x = 0;
        int64_t y = 0;
        int count = 0, code = 0;
        while (y < l_.Height && next(count)) {
            if (count != 0) {
                if (!next(code)) return;
                for (int i = 0; i < count; ++i, ++x)
                    put(x, y, four ? (i % 2 == 0 ? code >> 4 : code & 15) : code);
                continue;
            }
            if (!next(code) || code == 1) return;
            if (code == 0) {
                x = 0;
                ++y;
            } else if (code == 2) {
                int dx = 0, dy = 0;
                if (!next(dx) || !next(dy)) return;
                x = std::min(x + dx, l_.Width - 1);
                y = std::min<int64_t>(y + dy, l_.Height - 1);
            } else {
                int value = 0;
                for (int i = 0; i < code; ++i, ++x) {
                    if (!four || i % 2 == 0) {
                        if (!next(value)) return;
                    }
                    put(x, y, four ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
                }
                const int used = four ? (code + 1) / 2 : code;
                if (used % 2 == 1 && !next(value)) return;
            }
        }
    }

    const QByteArray& file_;
    const BmpLayout& l_;
    QImage& image_;
    std::array<QRgb, 256> palette_{};
    Channel red_, green_, blue_;
};

} // namespace

QImage DecodeBmp(const QByteArray& file) {
    const std::optional<BmpLayout> layout = ReadBmpLayout(file.left(256), file.size());
    // The reader's own limit on the number of pixels, then its limit on memory: a few bytes
    // can claim any size.
    if (!layout || int64_t(layout->Width) * layout->Height > int64_t(16384) * 16384)
        return QImage();
    QImage image;
    if (!QImageIOHandler::allocateImage(QSize(layout->Width, layout->Height), QImage::Format_RGB32,
                                        &image))
        return QImage();
    image.fill(White);
    if (!Decoder(file, *layout, image).Run()) return QImage();
    return image;
}

} // namespace vb
