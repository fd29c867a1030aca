#include "BmpDecoder.h"

#include "BmpLayout.h"

#include <QImageIOHandler>

#include <array>
#include <bit>
#include <vector>

namespace vb {

namespace {

constexpr QRgb White = 0xFFFFFFFF, Black = 0xFF000000;

// One colour of a 16- or 32-bit pixel: its bits shifted down and scaled from 0..largest to
// 0..255, rounded, so that a full channel of any width is 255. A zero mask gives 0.
class Channel {
public:
    explicit Channel(uint32_t mask)
        : mask_(mask), shift_(mask == 0 ? 0 : std::countr_zero(mask)), largest_(mask >> shift_) {
        // Every value of a channel up to 16 bits wide, worked out once.
        if (largest_ <= 0xFFFF) {
            table_.resize(size_t(largest_) + 1);
            for (uint32_t v = 0; v <= largest_; ++v) table_[v] = Scaled(v);
        }
    }

    uint8_t operator()(uint32_t pixel) const {
        const uint32_t v = (pixel & mask_) >> shift_;
        return table_.empty() ? Scaled(v) : table_[v];
    }

private:
    uint8_t Scaled(uint32_t v) const {
        if (largest_ == 0) return 0;
        return uint8_t((uint64_t(v) * 510 + largest_) / (uint64_t(largest_) * 2));
    }

    uint32_t mask_;
    int shift_;
    uint32_t largest_;
    std::vector<uint8_t> table_;
};

class Decoder {
public:
    Decoder(const QByteArray& file, const BmpLayout& l, QImage& image)
        : file_(file), l_(l), image_(image), red_(l.Masks[0]), green_(l.Masks[1]),
          blue_(l.Masks[2]) {}

    void Run() {
        if (l_.BitCount <= 8) ReadPalette();
        if (l_.IsRle())
            DecodeRle();
        else
            DecodeRows();
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

    QRgb Pixel(uint32_t value) const {
        if (l_.BitCount <= 8) return palette_[value];
        return qRgb(red_(value), green_(value), blue_(value));
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

    void DecodeRle() {
        const bool four = l_.BitCount == 4;
        WalkRle(file_, l_, [&](const RleStretch& s) {
            QRgb* line = Row(s.Row) + s.X;
            for (int i = 0; i < s.Count; ++i) {
                const uint8_t b = s.Literal ? s.Literal[four ? i / 2 : i] : s.Run;
                line[i] = palette_[four ? (i % 2 == 0 ? b >> 4 : b & 15) : b];
            }
        });
    }

    const QByteArray& file_;
    const BmpLayout& l_;
    QImage& image_;
    std::array<QRgb, 256> palette_{};
    const Channel red_, green_, blue_;
};

} // namespace

QImage DecodeBmp(const QByteArray& file) {
    const std::optional<BmpLayout> layout = ReadBmpLayout(file.left(256));
    // The reader's own limit on the number of pixels, then its limit on memory: a few bytes
    // can claim any size.
    if (!layout || int64_t(layout->Width) * layout->Height > MaxDecodedPixels)
        return QImage();
    QImage image;
    if (!QImageIOHandler::allocateImage(QSize(layout->Width, layout->Height), QImage::Format_RGB32,
                                        &image))
        return QImage();
    image.fill(White);
    Decoder(file, *layout, image).Run();
    return image;
}

} // namespace vb
