#pragma once
// Where a BMP file keeps its pixels and how, read from its headers alone: what the loader
// needs to know whether Qt's reader can show the file as it is, and what the importer needs
// to know whether a file is whole. Also the one reading of an RLE stream, for both.

#include <QByteArray>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace vb {

// The most pixels a picture may have to be decoded: Qt's BMP reader refuses more, and the
// program's own decoder keeps to the same limit. A header can claim far more.
constexpr int64_t MaxDecodedPixels = int64_t(16384) * 16384;

struct BmpLayout {
    int32_t Width = 0;
    int32_t Height = 0; // rows, whether stored bottom-up or top-down
    bool TopDown = false;
    int BitCount = 0;
    uint32_t Compression = 0;
    int InfoSize = 0;                // of the info header; 12 for the oldest one
    int PaletteEntry = 4;            // bytes; 3 with the oldest header
    int Colours = 0;                 // palette entries the header asks for; 0 above 8 bits
    std::array<uint32_t, 3> Masks{}; // red, green, blue of a 16- or 32-bit pixel
    int64_t PixelStart = 0;          // offset of the pixel data in the file
    int64_t QtPixelStart = 0;        // where Qt's reader looks for it: never before a full palette
    int64_t RowBytes = 0;            // of an uncompressed row, padded to 4 bytes; 0 for RLE
    int64_t PixelBytes = 0;          // size of an uncompressed pixel array; 0 for RLE

    bool IsRle() const;
    int64_t PaletteStart() const;
    // Colour masks after the info header (BI_BITFIELDS with a header too small to hold them).
    int MaskBytes() const;
    // Where the colour masks are: after a small info header, inside a larger one.
    int64_t MaskStart() const;
    // Where the last row's pixels end: its padding does not matter.
    int64_t PixelEnd() const;
    // Whether a file of `fileSize` bytes ends before its last pixel (never for RLE).
    bool IsShort(int64_t fileSize) const;
    // Whether Qt's reader can show other pixels than the file means: it leaves pixels as
    // the image memory had them where an RLE stream skips, or past the end of a file
    // shorter than its padded pixel array (a row without its padding is dropped whole); it
    // reads them from the wrong place when they start before the full palette that it reads
    // first; and it scales colour channels of 16- and 32-bit pixels by whole factors, which
    // darkens every channel narrower than 8 bits and blackens every wider one.
    bool QtMayMisread(int64_t fileSize) const;
};

// The layout from the start of a BMP file (the first 256 bytes are enough). Nothing when
// it is not a BMP header that the program can read.
std::optional<BmpLayout> ReadBmpLayout(const QByteArray& head);

// The width and height a BMP header claims, however large (a height past the largest
// QSize side counts as that side). Nothing when the header is not a BMP's or claims no
// pixel.
std::optional<QSize> ReadBmpSides(const QByteArray& head);

// Whether the file at `path` is a BMP that the loader decodes itself (see QtMayMisread).
bool NeedsOwnBmpDecoder(const QString& path);

// Whether the pixel data of `file` reaches its end inside the file: every row's pixels,
// or for RLE the end of its stream (see WalkRle).
bool BmpPixelsComplete(const QByteArray& file, const BmpLayout& layout);

// A stretch of pixels that an RLE stream sets, always inside the picture: `Count` pixels
// from column `X` of row `Row`, counted in the file's order (the first row stored is 0).
// A run repeats `Run` (RLE4: its high and low nibble in turn); a literal run's indexes
// are at `Literal`, packed as the bit count says.
struct RleStretch {
    int64_t Row = 0;
    int X = 0;
    int Count = 0;
    const uchar* Literal = nullptr;
    uint8_t Run = 0;
};

// How an RLE stream ends: by itself (its end-of-bitmap marker, or an end of line on the
// last row, after which nothing can be drawn), or with the file before that (a cut file).
enum class RleEnd { Stream, File };

// Walks the RLE8 or RLE4 stream of `file` to its end, handing each stretch of pixels to
// `paint` when given. Runs and literal runs are cut at the end of their row and moves stop
// at the last column and row, so no stretch leaves the picture however long the stream.
RleEnd WalkRle(const QByteArray& file, const BmpLayout& layout,
               const std::function<void(const RleStretch&)>& paint = {});

} // namespace vb
