#pragma once
// Picture packs made in memory for the tests and benchmarks, with real pictures as pieces.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>

#include <csignal>
#include <cstdio>
#include <unistd.h>
#include <sys/resource.h>

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

// A JPEG with detail in every block, so that half of it is half of the picture.
inline QByteArray JpegBytes(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 7 % 256, y * 5 % 256, (x ^ y) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

// A GIF of black and white stripes whose LZW codes all stay 8 bits wide (a clear code
// before the table grows), so it is as long as it has pixels and can be cut anywhere.
inline QByteArray GifBytes(int w, int h) {
    auto le16 = [](int v) {
        QByteArray b;
        return b.append(char(v & 255)).append(char(v >> 8 & 255));
    };
    QByteArray gif = "GIF89a" + le16(w) + le16(h) + QByteArray("\x80\x00\x00\xff\xff\xff\x00\x00\x00", 9);
    gif += ',' + le16(0) + le16(0) + le16(w) + le16(h) + '\x00' + '\x07';
    constexpr char Clear = char(128), End = char(129);
    QByteArray codes;
    for (int i = 0; i < w * h; ++i) {
        if (i % 100 == 0) codes += Clear;
        codes += char((i % w) / 3 % 2);
    }
    codes += End;
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        gif += char(block.size()) + block;
    }
    return gif + '\x00' + ';';
}

// An 8-bit (or 4-bit) RLE BMP of `w` x `h` with the given RLE stream; its palette is
// black, red, green, blue.
inline QByteArray RleBmp(int w, int h, const QByteArray& stream, int bits = 8) {
    auto le = [](uint32_t v, int n) {
        QByteArray b;
        for (int i = 0; i < n; ++i) b += char(v >> (8 * i) & 255);
        return b;
    };
    const QByteArray palette("\0\0\0\0" "\0\0\xff\0" "\0\xff\0\0" "\xff\0\0\0", 16);
    const int offset = 14 + 40 + palette.size();
    return "BM" + le(uint32_t(offset + stream.size()), 4) + le(0, 4) + le(offset, 4) + le(40, 4) +
           le(uint32_t(w), 4) + le(uint32_t(h), 4) + le(1, 2) + le(uint32_t(bits), 2) +
           le(bits == 8 ? 1 : 2, 4) + le(uint32_t(stream.size()), 4) + le(2835, 4) + le(2835, 4) +
           le(4, 4) + le(0, 4) + palette + stream;
}

// While it lives, no file of this process may grow past `bytes`: a write beyond that fails
// (EFBIG) as on a full disk, instead of killing the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// While it lives, the process may map no more than `extra` bytes beyond what it maps now:
// an allocation past that fails (std::bad_alloc) instead of eating the machine's memory.
// Address sanitizer reserves its own huge map, so under it nothing is limited.
class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(qint64 extra) {
#if !defined(__SANITIZE_ADDRESS__)
        getrlimit(RLIMIT_AS, &old_);
        long pages = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
            std::fclose(f);
        }
        if (pages <= 0) return;
        rlimit limited = old_;
        limited.rlim_cur = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + rlim_t(extra);
        if (old_.rlim_max != RLIM_INFINITY && limited.rlim_cur > old_.rlim_max) return;
        active_ = setrlimit(RLIMIT_AS, &limited) == 0;
#else
        Q_UNUSED(extra);
#endif
    }
    ~AddressSpaceLimit() {
        if (active_) setrlimit(RLIMIT_AS, &old_);
    }
    AddressSpaceLimit(const AddressSpaceLimit&) = delete;
    AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;

private:
    rlimit old_{};
    bool active_ = false;
};

} // namespace testing
