#pragma once
// Where a BMP file keeps its pixels and how, read from its headers alone: what the loader
// needs to know whether Qt's reader can show the file as it is, and what the importer needs
// to know whether a file is whole.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace vb {

struct BmpLayout {
    int32_t Width = 0;
    int32_t Height = 0; // rows, whether stored bottom-up or top-down
    bool TopDown = false;
    int BitCount = 0;
    uint32_t Compression = 0;
    int InfoSize = 0;         // of the info header; 12 for the oldest one
    int PaletteEntry = 4;     // bytes; 3 with the oldest header
    int Colours = 0;          // palette entries the header asks for; 0 above 8 bits
    int64_t PixelStart = 0;   // offset of the pixel data in the file
    int64_t QtPixelStart = 0; // where Qt's reader looks for it: never before a full palette
    int64_t RowBytes = 0;     // of an uncompressed row, padded to 4 bytes; 0 for RLE
    int64_t PixelBytes = 0;   // size of an uncompressed pixel array; 0 for RLE

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
    // Whether Qt's reader can leave pixels as the image memory had them or read them from
    // the wrong place: where an RLE stream skips, past the end of a file shorter than its
    // padded pixel array (a row without its padding is dropped whole), or when the pixels
    // start before the full palette that the reader reads first.
    bool QtMayMisread(int64_t fileSize) const;
};

// The layout from the start of a BMP file (the first 256 bytes are enough) of `fileSize`
// bytes. Nothing when it is not a BMP header that Qt's reader takes.
std::optional<BmpLayout> ReadBmpLayout(const QByteArray& head, int64_t fileSize);

// Whether the file at `path` is a BMP that the loader decodes itself (see QtMayMisread).
bool NeedsOwnBmpDecoder(const QString& path);

// Whether the pixel data of `file` reaches its end inside the file: every row's pixels,
// or for RLE an end-of-bitmap marker.
bool BmpPixelsComplete(const QByteArray& file, const BmpLayout& layout);

} // namespace vb
