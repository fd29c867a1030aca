#pragma once
// GIF files made byte by byte, in shapes that Qt cannot write: see-through colours,
// images placed on a larger or empty logical screen, data that ends before the image does,
// interlaced rows, LZW tables that fill up.

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QSize>
#include <algorithm>
#include <bit>
#include <cstdint>

namespace testing {

struct GifShape {
    QSize Screen;
    QRect Frame;
    bool SeeThrough = false;
    int Disposal = 0;
    bool Comment = false; // an extension before the control block
    bool Interlaced = false;
    int64_t Pixels = -1;  // that the data holds, when fewer than the frame's
    bool Clears = true;   // false: no clear code at all, so the code table fills up
    QByteArray After = QByteArray("\x00\x3b", 2); // after the data's sub-blocks
};

// The rows of an interlaced image of `h` rows, in the order its data fills them.
inline QList<int> InterlacedRows(int h) {
    QList<int> rows;
    for (int y = 0; y < h; y += 8) rows << y;
    for (int y = 4; y < h; y += 8) rows << y;
    for (int y = 2; y < h; y += 4) rows << y;
    for (int y = 1; y < h; y += 2) rows << y;
    return rows;
}

// LZW codes written as a decoder reads them: each code one bit wider once the table
// reaches the next power of two, up to 12 bits, where a full table stops growing.
class LzwWriter {
public:
    explicit LzwWriter(int minimumCodeSize, bool leadingClear = true)
        : clear_(1u << minimumCodeSize), next_(clear_ + 2), width_(minimumCodeSize + 1) {
        if (leadingClear) Put(clear_);
    }
    uint32_t Clear() const { return clear_; }
    uint32_t Next() const { return next_; }
    void Put(uint32_t code) {
        bits_ |= uint64_t(code) << count_, count_ += width_;
        for (; count_ >= 8; count_ -= 8, bits_ >>= 8) data_ += char(bits_ & 0xFF);
        if (code == clear_) {
            width_ = std::countr_zero(clear_) + 1, next_ = clear_ + 2, first_ = true;
        } else if (first_) {
            first_ = false;
        } else if (next_ < 4096 && ++next_ == (1u << width_) && width_ < 12) {
            ++width_;
        }
    }
    // The codes so far, then the end code, in sub-blocks.
    QByteArray Blocks() {
        Put(clear_ + 1);
        QByteArray data = data_;
        if (count_) data += char(bits_ & 0xFF);
        QByteArray blocks;
        for (qsizetype i = 0; i < data.size(); i += 255) {
            const QByteArray block = data.mid(i, 255);
            blocks += char(block.size()) + block;
        }
        return blocks;
    }

private:
    uint32_t clear_;
    uint32_t next_;
    int width_;
    bool first_ = true;
    uint64_t bits_ = 0;
    int count_ = 0;
    QByteArray data_;
};

inline QByteArray Le16(int v) {
    return QByteArray(1, char(v & 0xFF)) + char(v >> 8 & 0xFF);
}

// A GIF's header and colour table (black, white, red, and one more that is see-through
// when asked), up to the first image's minimum code size of 2.
inline QByteArray GifHead(const GifShape& s) {
    QByteArray g("GIF89a");
    g += Le16(s.Screen.width()) + Le16(s.Screen.height());
    g += QByteArray::fromHex("810000"
                             "000000ffffffc02020000000");
    if (s.Comment) g += QByteArray::fromHex("21fe0568656c6c6f00"); // "hello"
    g += QByteArray::fromHex("21f904");
    g += char((s.Disposal << 2) | (s.SeeThrough ? 1 : 0));
    g += QByteArray::fromHex("00000300");
    g += char(0x2C);
    g += Le16(s.Frame.x()) + Le16(s.Frame.y()) + Le16(s.Frame.width()) + Le16(s.Frame.height());
    return g + char(s.Interlaced ? 0x40 : 0) + char(2);
}

// The colour index of a pixel of the first image.
inline int GifPattern(int x, int y) {
    return (x + y) % 4;
}

// A GIF whose first image is in GifPattern, every pixel a code of its own. With clears, a
// clear code before every two pixels keeps each code 3 bits wide.
inline QByteArray gif(const GifShape& s) {
    LzwWriter lzw(2, s.Clears);
    const int w = s.Frame.width();
    const QList<int> rows = s.Interlaced ? InterlacedRows(s.Frame.height()) : QList<int>();
    const int64_t pixels = s.Pixels < 0 ? int64_t(w) * s.Frame.height() : s.Pixels;
    for (int64_t i = 0; i < pixels; ++i) {
        if (s.Clears && i % 2 == 0 && i > 0) lzw.Put(lzw.Clear());
        const int x = int(i % w), row = int(i / w);
        lzw.Put(uint32_t(GifPattern(x, s.Interlaced ? rows[row] : row)));
    }
    return GifHead(s) + lzw.Blocks() + s.After;
}

// A GIF whose first image of `frame` is all red, its data holding `pixels` of it in runs
// as long as the code table allows: past its first 4091 codes, each code stands for 4091
// pixels, so a few megabytes hold billions.
inline QByteArray RunGif(QSize frame, int64_t pixels) {
    GifShape s{frame, QRect(QPoint(0, 0), frame)};
    LzwWriter lzw(2);
    constexpr uint32_t Red = 2;
    if (pixels > 0) lzw.Put(Red);
    // The code one past the table stands for the last string and one more pixel; once the
    // table is full, its longest string (code 4095) is taken again and again.
    for (int64_t left = pixels - 1; left > 0;) {
        const uint32_t next = lzw.Next(), clear = lzw.Clear();
        const int64_t length = next < 4096 && left >= next - clear
                                   ? next - clear
                                   : std::min<int64_t>(left, 4095 - clear);
        lzw.Put(length == 1 ? Red : clear + uint32_t(length));
        left -= length;
    }
    return GifHead(s) + lzw.Blocks() + s.After;
}

} // namespace testing
