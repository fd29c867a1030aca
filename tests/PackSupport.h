#pragma once
// Picture packs made in memory for the tests and benchmarks, with real pictures as pieces.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>

namespace testing {

// A pack as the maker's tool writes one: header, then each piece after "/x5x/".
inline QByteArray MakePack(const QByteArray& header, const QList<QByteArray>& pieces) {
    QByteArray pack = header;
    for (const QByteArray& piece : pieces) pack += "/x5x/" + piece;
    return pack;
}

// The smallest picture a pack holds: a GIF of one white pixel.
inline QByteArray TinyGif() {
    static const char bytes[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
                                ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";
    return QByteArray(bytes, sizeof bytes - 1);
}

// A 24-bit BMP of one colour.
inline QByteArray BmpBytes(int w, int h, QColor colour = Qt::white) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

} // namespace testing
