#include "LoadingBudget.h"

#include <QFile>
#include <QImageReader>
#include <QMutexLocker>
#include <algorithm>
#include <cstring>

namespace {

int le16(const uchar* p) {
    return p[0] | (p[1] << 8);
}

} // namespace

GifFirstImage ReadGifFirstImage(QIODevice& gif) {
    GifFirstImage first;
    uchar head[13];
    if (gif.read(reinterpret_cast<char*>(head), 13) != 13 ||
        (std::memcmp(head, "GIF87a", 6) != 0 && std::memcmp(head, "GIF89a", 6) != 0))
        return first;
    const int screenW = le16(head + 6), screenH = le16(head + 8);
    // Past the global colour table, then past extensions up to the first image.
    if ((head[10] & 0x80) && gif.skip(3 << ((head[10] & 7) + 1)) != (3 << ((head[10] & 7) + 1)))
        return first;
    for (;;) {
        char introducer, label;
        if (!gif.getChar(&introducer)) return first;
        if (uchar(introducer) == 0x2C) {
            uchar d[8]; // left, top, width, height
            if (gif.read(reinterpret_cast<char*>(d), 8) != 8) return first;
            first.Canvas = QSize(std::max(screenW, le16(d) + le16(d + 4)),
                                 std::max(screenH, le16(d + 2) + le16(d + 6)));
            return first;
        }
        if (uchar(introducer) != 0x21 || !gif.getChar(&label)) return first;
        for (char length; gif.getChar(&length) && length != 0;) {
            const QByteArray block = gif.read(uchar(length));
            if (block.size() != uchar(length)) return first;
            // The image's control block: a see-through colour, or "restore to previous".
            if (uchar(label) == 0xF9 && block.size() == 4)
                first.SecondImage = (block[0] & 1) || ((block[0] >> 2) & 7) == 3;
        }
    }
}

qint64 LoadingCost(const QString& source, qint64 unknown) {
    // Read as LoadPicture reads it.
    QImageReader reader(source);
    reader.setDecideFormatFromContent(true);
    QSize size = reader.size();
    int bytesPerPixel = 8;
    if (reader.format() == "gif") {
        // The reader gives the first image's size, but the picture takes the canvas's.
        QFile file(source);
        GifFirstImage first;
        if (file.open(QIODevice::ReadOnly)) first = ReadGifFirstImage(file);
        size = first.Canvas.isValid() ? size.expandedTo(first.Canvas) : QSize();
        if (!first.SecondImage) bytesPerPixel = 4;
    }
    if (!size.isValid()) return unknown;
    return qint64(size.width()) * size.height() * bytesPerPixel;
}

void LoadingBudget::Acquire(qint64 cost) {
    QMutexLocker lock(&mutex_);
    const uint64_t ticket = nextTicket_++;
    while (ticket != serving_ || (held_ > 0 && held_ + cost > limit_)) changed_.wait(&mutex_);
    held_ += cost;
    ++serving_;
    changed_.wakeAll();
}

void LoadingBudget::Release(qint64 cost) {
    QMutexLocker lock(&mutex_);
    held_ -= cost;
    changed_.wakeAll();
}
