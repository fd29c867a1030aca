#pragma once
// A GIF's first image as its file holds it: where it lies on the logical screen, how its
// rows are ordered, and how many of its pixels its compressed data really holds. Only the
// first image is ever shown, so nothing after it is read.

#include <QRect>
#include <QSize>
#include <cstdint>
#include <optional>

class QIODevice;
class QImage;

namespace vb {

// Counts the pixels a GIF image's LZW codes yield, without making them: each code's string
// length is all that is kept. The count never passes the limit it is given, whatever the
// codes say, and stops for good at the end code or at a code that cannot be decoded.
class GifLzwCounter {
public:
    // `minimumCodeSize` as the file gives it; 2 to 11 (codes of 3 to 12 bits) can be
    // decoded, anything else yields nothing. The format asks for at least 2, and decoders
    // part ways on when the codes of a smaller one widen.
    GifLzwCounter(int minimumCodeSize, int64_t limit);
    // The next bytes of the data; false once the count is final.
    bool Feed(const uint8_t* data, int64_t size);
    int64_t Pixels() const { return pixels_; }
    bool Done() const { return done_; }

private:
    static constexpr uint32_t MaxCodes = 4096;
    int64_t limit_;
    int64_t pixels_ = 0;
    bool done_ = false;
    uint32_t clear_ = 0;
    int firstWidth_ = 0; // of a code after a clear, in bits
    int width_ = 0;      // of the next code
    uint32_t next_ = 0;  // the code the next table entry gets
    int32_t prior_ = -1; // the code before, or -1 right after a clear
    uint64_t bits_ = 0;  // read but not yet used, lowest first
    int bitCount_ = 0;
    uint16_t length_[MaxCodes]; // string length of each code
};

struct GifFirstFrame {
    QSize Screen;            // the logical screen, as the header gives it
    QRect Place;             // the first image on that screen
    bool Interlaced = false;
    // Its control block gives a see-through colour, or "restore to previous" after showing.
    bool SeeThroughOrRestored = false;
    int64_t Pixels = 0;      // that its data holds, at most the image's area (when counted)
    int64_t Area() const { return int64_t(Place.width()) * Place.height(); }
};

// Reads a GIF from its start up to its first image, and that image's data when `count`
// is set. Nothing when the file is not a GIF or ends, or breaks, before the first image.
std::optional<GifFirstFrame> ReadGifFirstFrame(QIODevice& gif, bool count);

// The row of an image of `height` rows that the `index`th row of its data fills.
int GifRow(int64_t index, int height, bool interlaced);

// Makes white the pixels of `image` (decoded from the GIF onto its screen, 32 bits a pixel)
// that the first image covers but whose data never sets. Pixels beyond the image's edges
// are left alone.
void WhitenUnsetPixels(QImage& image, const GifFirstFrame& frame);

} // namespace vb
