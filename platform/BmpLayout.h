#pragma once
// Where a BMP file keeps its pixels and how, read from its headers alone: what the loader
// needs to know whether a file can leave pixels undefined, and what the importer needs to
// know whether a file is whole.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace vb {

struct BmpLayout {
    int32_t Width = 0;
    int32_t Height = 0; // rows, whether stored bottom-up or top-down
    int BitCount = 0;
    uint32_t Compression = 0;
    int64_t PixelStart = 0; // offset of the pixel data in the file
    int64_t PixelBytes = 0; // size of an uncompressed pixel array; 0 for RLE

    bool IsRle() const;
    // Whether a file of `fileSize` bytes ends before its pixel array does (never for RLE).
    bool IsShort(int64_t fileSize) const;
};

// The layout from the start of a BMP file (the first 256 bytes are enough). Nothing when it
// is not a BMP header this program can read.
std::optional<BmpLayout> ReadBmpLayout(const QByteArray& head);

// Whether Qt's BMP reader can leave pixels of the file at `path` as the image memory had
// them: where an RLE stream skips, or past the end of a file shorter than its pixel array.
bool MayLeavePixelsUndefined(const QString& path);

// Whether the pixel data of `file` reaches its end inside the file: the whole pixel array,
// or for RLE an end-of-bitmap marker.
bool BmpPixelsComplete(const QByteArray& file, const BmpLayout& layout);

} // namespace vb
