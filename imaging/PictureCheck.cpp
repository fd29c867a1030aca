#include "PictureCheck.h"

#include "BmpLayout.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cstring>
#include <type_traits>

#include <csetjmp>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

namespace {

int le16(const uchar* p) {
    return p[0] | (p[1] << 8);
}

struct JpegErrors {
    jpeg_error_mgr mgr;
    std::jmp_buf failed;
    int warnings = 0; // that mean pixels are missing or made up
};

[[noreturn]] void JpegFailed(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->failed, 1);
}

// Warnings that lose no pixel: bytes skipped between segments (padding before the end
// marker, line ends after each segment, stray bytes after a header), and a JFIF revision
// libjpeg does not know. Every other warning means data is missing or corrupt.
bool Harmless(int code) {
    return code == JWRN_EXTRANEOUS_DATA || code == JWRN_JFIF_MAJOR;
}

// Level -1 is a warning; the others only trace.
void JpegMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && !Harmless(cinfo->err->msg_code))
        ++reinterpret_cast<JpegErrors*>(cinfo->err)->warnings;
}

// Decodes every scan line (at an eighth of the size: the compressed data is read all the
// same) and finishes, which reads on to the end marker.
bool DecodesCleanly(jpeg_decompress_struct& cinfo, const JpegErrors& errors) {
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
    cinfo.scale_num = 1;
    cinfo.scale_denom = 8;
    cinfo.dct_method = JDCT_IFAST;
    if (!jpeg_start_decompress(&cinfo)) return false;
    // From libjpeg's own pool, which jpeg_destroy frees on every way out.
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                cinfo.output_width * cinfo.output_components, 1);
    while (cinfo.output_scanline < cinfo.output_height)
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1) return false;
    return jpeg_finish_decompress(&cinfo) && errors.warnings == 0;
}

// Skips a colour table when the flags byte `packed` says one follows.
bool SkipColourTable(QIODevice& gif, uchar packed) {
    if (!(packed & 0x80)) return true;
    const qint64 size = 3 << ((packed & 7) + 1);
    return gif.skip(size) == size;
}

// Data sub-blocks: a length byte and that many bytes, up to a zero length. Each is handed
// to `block`, when given.
template <typename Block> bool WalkSubBlocks(QIODevice& gif, Block&& block) {
    for (char length; gif.getChar(&length);) {
        if (length == 0) return true;
        if constexpr (std::is_same_v<std::decay_t<Block>, std::nullptr_t>) {
            if (gif.skip(uchar(length)) != uchar(length)) return false;
        } else {
            const QByteArray data = gif.read(uchar(length));
            if (data.size() != uchar(length)) return false;
            block(data);
        }
    }
    return false;
}

// Where an image lies on the logical screen.
struct GifPlace {
    int Left, Top, Width, Height;
};

enum class GifWalk { Trailer, Stopped, Broken };

// Walks a GIF's blocks from its start up to the trailer: each extension's sub-blocks go to
// `extension` with its label, each image's place to `image`, which says whether to walk
// on. A lone zero byte between blocks (an empty block some writers leave) is passed over.
template <typename Extension, typename Image>
GifWalk WalkGif(QIODevice& gif, Extension&& extension, Image&& image) {
    uchar head[13];
    if (gif.read(reinterpret_cast<char*>(head), 13) != 13 ||
        (std::memcmp(head, "GIF87a", 6) != 0 && std::memcmp(head, "GIF89a", 6) != 0) ||
        !SkipColourTable(gif, head[10]))
        return GifWalk::Broken;
    const QSize screen(le16(head + 6), le16(head + 8));
    for (char introducer, c; gif.getChar(&introducer);) {
        switch (uchar(introducer)) {
        case 0x3B: // trailer
            return GifWalk::Trailer;
        case 0x00: // an empty block
            break;
        case 0x21: // extension: a label, then sub-blocks
            if (!gif.getChar(&c) ||
                !WalkSubBlocks(gif, [&](const QByteArray& b) { extension(uchar(c), b); }))
                return GifWalk::Broken;
            break;
        case 0x2C: { // image: place, flags, local colour table, code size, sub-blocks
            uchar d[8];
            if (gif.read(reinterpret_cast<char*>(d), 8) != 8) return GifWalk::Broken;
            if (!image(screen, GifPlace{le16(d), le16(d + 2), le16(d + 4), le16(d + 6)}))
                return GifWalk::Stopped;
            if (!gif.getChar(&c) || !SkipColourTable(gif, uchar(c)) || !gif.getChar(&c) ||
                !WalkSubBlocks(gif, nullptr))
                return GifWalk::Broken;
            break;
        }
        default:
            return GifWalk::Broken;
        }
    }
    return GifWalk::Broken;
}

} // namespace

bool IsWholeJpeg(const QByteArray& bytes) {
    if (bytes.isEmpty()) return false;
    jpeg_decompress_struct cinfo{};
    JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.mgr);
    errors.mgr.error_exit = JpegFailed;
    errors.mgr.emit_message = JpegMessage;
    volatile bool whole = false;
    if (setjmp(errors.failed) == 0) {
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()),
                     static_cast<unsigned long>(bytes.size()));
        whole = DecodesCleanly(cinfo, errors);
    }
    jpeg_destroy_decompress(&cinfo);
    return whole;
}

bool IsWholeBmp(const QByteArray& bytes) {
    const std::optional<vb::BmpLayout> layout = vb::ReadBmpLayout(bytes.left(256), bytes.size());
    return layout && vb::BmpPixelsComplete(bytes, *layout);
}

bool IsWholePicture(const QByteArray& bytes) {
    if (bytes.startsWith("BM")) return IsWholeBmp(bytes);
    if (bytes.startsWith("GIF8")) return IsWholeGif(bytes);
    if (bytes.startsWith("\xFF\xD8")) return IsWholeJpeg(bytes);
    return false;
}

bool IsWholeGif(const QByteArray& bytes) {
    QBuffer gif;
    gif.setData(bytes); // shared, not copied
    gif.open(QIODevice::ReadOnly);
    return WalkGif(
               gif, [](uchar, const QByteArray&) {}, [](QSize, const GifPlace&) { return true; }) ==
           GifWalk::Trailer;
}

GifFirstImage ReadGifFirstImage(QIODevice& gif) {
    GifFirstImage first;
    auto extension = [&](uchar label, const QByteArray& block) {
        // The image's control block: a see-through colour, or "restore to previous".
        if (label == 0xF9 && block.size() == 4)
            first.SecondImage = (block[0] & 1) || ((block[0] >> 2) & 7) == 3;
    };
    auto image = [&](QSize screen, const GifPlace& place) {
        first.Canvas = QSize(std::max(screen.width(), place.Left + place.Width),
                             std::max(screen.height(), place.Top + place.Height));
        return false;
    };
    WalkGif(gif, extension, image);
    return first;
}

PictureHeader ReadPictureHeader(QIODevice& device) {
    PictureHeader header;
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    header.Format = reader.format();
    header.Size = reader.size();
    if (header.Format == "bmp") {
        // The reader gives no size for a claim past its own limit, which is too large all
        // the same, whatever else the header holds.
        device.seek(0);
        if (const std::optional<QSize> sides = vb::ReadBmpSides(device.read(256)))
            header.Size = *sides;
        return header;
    }
    if (header.Format != "gif") return header;
    // The reader gives the first image's size, but decoding takes the canvas's.
    device.seek(0);
    const GifFirstImage first = ReadGifFirstImage(device);
    header.Size = first.Canvas.isValid() ? header.Size.expandedTo(first.Canvas) : QSize();
    header.SecondImage = first.SecondImage;
    return header;
}

QSize HeaderSize(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes); // shared, not copied
    buffer.open(QIODevice::ReadOnly);
    return ReadPictureHeader(buffer).Size;
}
