// Arbitrary bytes through the picture checks: the GIF walker and LZW counter (against a
// plain decoder that makes every string), the whitening of unset GIF pixels, the JPEG check
// and the header reader. Built by this folder's own CMake project with clang's libFuzzer:
//   cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ && cmake --build build-fuzz
//   build-fuzz/fuzz_gifjpeg -max_total_time=600 corpus/

#include "GifDecoder.h"
#include "PictureCheck.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// A plain LZW decoder, written apart from the counter: it makes every string into its
// pixels, and widens its codes as decoders commonly do, once the next free code no longer
// fits. The format asks for a code size of 2 to 11; anything else yields nothing.
int64_t PlainCount(int minimumCodeSize, const uint8_t* data, size_t size, int64_t limit) {
    if (minimumCodeSize < 2 || minimumCodeSize > 11 || limit <= 0) return 0;
    const int clear = 1 << minimumCodeSize, end = clear + 1;
    std::vector<int> prefix(4096, -1);
    std::vector<uint8_t> suffix(4096);
    for (int c = 0; c < clear; ++c) suffix[size_t(c)] = uint8_t(c);
    std::vector<uint8_t> pixels, string;
    int width = minimumCodeSize + 1, available = clear + 2, old = -1;
    for (size_t at = 0; at + size_t(width) <= size * 8;) {
        int code = 0;
        for (int b = 0; b < width; ++b, ++at) code |= ((data[at / 8] >> (at % 8)) & 1) << b;
        if (code == clear) {
            width = minimumCodeSize + 1, available = clear + 2, old = -1;
            continue;
        }
        if (code == end || (old < 0 ? code >= clear : code > available)) break;
        // The code one past the table: the old string and its own first pixel.
        const bool pastTable = code == available;
        string.clear();
        for (int c = pastTable ? old : code; c >= 0; c = prefix[size_t(c)])
            string.push_back(suffix[size_t(c)]);
        std::reverse(string.begin(), string.end());
        if (pastTable) string.push_back(string.front());
        if (old >= 0 && available < 4096) {
            prefix[size_t(available)] = old, suffix[size_t(available)] = string.front();
            if (++available >= 1 << width && width < 12) ++width;
        }
        old = code;
        pixels.insert(pixels.end(), string.begin(), string.end());
        if (int64_t(pixels.size()) >= limit) return limit;
    }
    return int64_t(pixels.size());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    IsWholePicture(bytes);
    IsWholeGif(bytes);
    IsWholeJpeg(bytes);
    HeaderSize(bytes);

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    if (const std::optional<vb::GifFirstFrame> frame = vb::ReadGifFirstFrame(buffer, true)) {
        if (frame->Pixels < 0 || frame->Pixels > frame->Area()) std::abort();
        QImage image(std::min(frame->Screen.width(), 300), std::min(frame->Screen.height(), 300),
                     QImage::Format_RGB32);
        if (!image.isNull()) {
            image.fill(0);
            vb::WhitenUnsetPixels(image, *frame);
        }
    }

    // The first two bytes as a code size and a pixel limit, the rest as codes, fed in
    // pieces of the sizes sub-blocks have.
    if (size > 2) {
        const int codeSize = data[0] & 15;
        const int64_t limit = int64_t(data[1]) * 97 + 1;
        vb::GifLzwCounter counter(codeSize, limit);
        for (size_t at = 2; at < size && !counter.Done(); at += 255)
            counter.Feed(data + at, int64_t(std::min<size_t>(255, size - at)));
        if (counter.Pixels() != PlainCount(codeSize, data + 2, size - 2, limit)) std::abort();
    }
    return 0;
}
