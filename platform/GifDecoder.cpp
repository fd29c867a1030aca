#include "GifDecoder.h"

#include "LittleEndian.h"

#include <QIODevice>
#include <QImage>

#include <algorithm>
#include <cstring>

namespace vb {

GifLzwCounter::GifLzwCounter(int minimumCodeSize, int64_t limit) : limit_(std::max<int64_t>(limit, 0)) {
    if (minimumCodeSize < 2 || minimumCodeSize > 11) {
        done_ = true;
        return;
    }
    clear_ = 1u << minimumCodeSize;
    firstWidth_ = minimumCodeSize + 1;
    width_ = firstWidth_;
    next_ = clear_ + 2;
    std::fill(length_, length_ + clear_, uint16_t(1));
    done_ = limit_ == 0;
}

bool GifLzwCounter::Feed(const uint8_t* data, int64_t size) {
    // The state lives in locals through the loop, which runs once a code.
    uint64_t bits = bits_;
    int count = bitCount_, width = width_;
    uint32_t next = next_;
    int32_t prior = prior_;
    int64_t pixels = pixels_;
    bool done = done_;
    const uint8_t* at = data;
    const uint8_t* const end = data + std::max<int64_t>(size, 0);
    while (!done) {
        for (; count <= 56 && at != end; count += 8) bits |= uint64_t(*at++) << count;
        if (count < width) break;
        const uint32_t code = uint32_t(bits) & ((1u << width) - 1);
        bits >>= width;
        count -= width;
        if (code == clear_) {
            width = firstWidth_, next = clear_ + 2, prior = -1;
            continue;
        }
        // The end, or a code the table does not hold yet (only the next one may come, and
        // only after another code): no further pixel is in the data.
        if (code == clear_ + 1 || code > next || (code == next && prior < 0)) {
            done = true;
            break;
        }
        // A code one past the table stands for the prior string and its own first pixel.
        const uint32_t length = code == next ? length_[prior] + 1u : length_[code];
        // A full table takes no entry until the next clear, and codes stay 12 bits wide.
        if (prior >= 0 && next < MaxCodes) {
            length_[next++] = uint16_t(length_[prior] + 1);
            if (next == (1u << width) && width < 12) ++width;
        }
        prior = int32_t(code);
        pixels += length;
        if (pixels >= limit_) pixels = limit_, done = true;
    }
    bits_ = bits, bitCount_ = count, width_ = width;
    next_ = next, prior_ = prior, pixels_ = pixels, done_ = done;
    return !done;
}

namespace {

bool ReadExact(QIODevice& gif, uint8_t* into, qint64 size) {
    return gif.read(reinterpret_cast<char*>(into), size) == size;
}

// Skips a colour table when the flags byte `packed` says one follows.
bool SkipColourTable(QIODevice& gif, uint8_t packed) {
    if (!(packed & 0x80)) return true;
    const qint64 size = 3 << ((packed & 7) + 1);
    return gif.skip(size) == size;
}

// The image's sub-blocks, each handed to the counter until it has its count, the blocks
// end or the file does.
int64_t CountPixels(QIODevice& gif, const QRect& place) {
    char codeSize;
    if (!gif.getChar(&codeSize)) return 0;
    GifLzwCounter counter(uint8_t(codeSize), int64_t(place.width()) * place.height());
    uint8_t block[255];
    for (char length; !counter.Done() && gif.getChar(&length) && length != 0;) {
        const qint64 got = gif.read(reinterpret_cast<char*>(block), uint8_t(length));
        if (got <= 0) break;
        counter.Feed(block, got);
    }
    return counter.Pixels();
}

} // namespace

std::optional<GifFirstFrame> ReadGifFirstFrame(QIODevice& gif, bool count) {
    uint8_t head[13];
    if (!ReadExact(gif, head, 13) ||
        (std::memcmp(head, "GIF87a", 6) != 0 && std::memcmp(head, "GIF89a", 6) != 0) ||
        !SkipColourTable(gif, head[10]))
        return std::nullopt;
    GifFirstFrame frame;
    frame.Screen = QSize(Le16(head + 6), Le16(head + 8));
    uint8_t block[255];
    for (char introducer, c; gif.getChar(&introducer);) {
        switch (uint8_t(introducer)) {
        case 0x00: // an empty block some writers leave
            break;
        case 0x21: { // extension: a label, then sub-blocks up to an empty one
            if (!gif.getChar(&c)) return std::nullopt;
            const bool control = uint8_t(c) == 0xF9;
            for (char length;;) {
                if (!gif.getChar(&length)) return std::nullopt;
                if (length == 0) break;
                if (!ReadExact(gif, block, uint8_t(length))) return std::nullopt;
                // The image's control block: a see-through colour, or "restore to previous".
                if (control && length == 4)
                    frame.SeeThroughOrRestored = (block[0] & 1) || ((block[0] >> 2) & 7) == 3;
            }
            break;
        }
        case 0x2C: { // image: place, flags, local colour table, code size, sub-blocks
            uint8_t d[9];
            if (!ReadExact(gif, d, 9)) return std::nullopt;
            frame.Place = QRect(Le16(d), Le16(d + 2), Le16(d + 4), Le16(d + 6));
            frame.Interlaced = d[8] & 0x40;
            if (count && SkipColourTable(gif, d[8])) frame.Pixels = CountPixels(gif, frame.Place);
            return frame;
        }
        default: // the trailer, or no block at all
            return std::nullopt;
        }
    }
    return std::nullopt;
}

int GifRow(int64_t index, int height, bool interlaced) {
    if (!interlaced) return int(index);
    // Every eighth row from 0, every eighth from 4, every fourth from 2, every second from 1.
    static constexpr int passes[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    for (const auto& [start, step] : passes) {
        const int64_t rows = start < height ? (height - 1 - start) / step + 1 : 0;
        if (index < rows) return int(start + index * step);
        index -= rows;
    }
    return -1;
}

void WhitenUnsetPixels(QImage& image, const GifFirstFrame& frame) {
    if (frame.Pixels >= frame.Area()) return;
    const QRect visible = frame.Place.intersected(image.rect());
    if (visible.isEmpty()) return;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    // An image never starts left of or above the screen: its place is unsigned.
    const int w = frame.Place.width(), h = frame.Place.height();
    const int64_t firstRow = frame.Pixels / w;
    for (int64_t index = firstRow; index < h; ++index) {
        const int y = frame.Place.top() + GifRow(index, h, frame.Interlaced);
        if (y < visible.top() || y > visible.bottom()) continue;
        const int from = frame.Place.left() + (index == firstRow ? int(frame.Pixels % w) : 0);
        if (from > visible.right()) continue;
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line + from, line + visible.right() + 1, 0xFFFFFFFFu);
    }
}

} // namespace vb
