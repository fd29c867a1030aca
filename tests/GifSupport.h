#pragma once
// GIF files made byte by byte, in shapes that Qt cannot write: see-through colours,
// images placed on a larger or empty logical screen.

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <cstdint>

namespace testing {

struct GifShape {
    QSize Screen;
    QRect Frame;
    bool SeeThrough = false;
    int Disposal = 0;
    bool Comment = false; // an extension before the control block
};

// A GIF of 4 colours (black, white, red, and one more that is see-through when asked), its
// first image in the pattern (x + y) % 4. A clear code before every two pixels keeps each
// code 3 bits wide.
inline QByteArray gif(const GifShape& s) {
    QByteArray g("GIF89a");
    const auto le16 = [&](int v) { g += char(v & 0xFF), g += char(v >> 8); };
    le16(s.Screen.width()), le16(s.Screen.height());
    g += QByteArray::fromHex("810000"
                             "000000ffffffc02020000000");
    if (s.Comment) g += QByteArray::fromHex("21fe0568656c6c6f00"); // "hello"
    g += QByteArray::fromHex("21f904");
    g += char((s.Disposal << 2) | (s.SeeThrough ? 1 : 0));
    g += QByteArray::fromHex("00000300");
    g += char(0x2C);
    le16(s.Frame.x()), le16(s.Frame.y()), le16(s.Frame.width()), le16(s.Frame.height());
    g += QByteArray::fromHex("0002");
    QByteArray data;
    uint32_t bits = 0, count = 0;
    const auto code = [&](uint32_t c) {
        bits |= c << count, count += 3;
        for (; count >= 8; count -= 8, bits >>= 8) data += char(bits & 0xFF);
    };
    const int w = s.Frame.width();
    for (int i = 0; i < w * s.Frame.height(); ++i) {
        if (i % 2 == 0) code(4);
        code(uint32_t((i % w + i / w) % 4));
    }
    code(5);
    if (count) data += char(bits & 0xFF);
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const QByteArray block = data.mid(i, 255);
        g += char(block.size()) + block;
    }
    return g + QByteArray::fromHex("003b");
}

} // namespace testing
