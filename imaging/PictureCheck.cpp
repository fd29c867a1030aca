#include "PictureCheck.h"

#include "BmpLayout.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cstring>

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

int le16(const uchar* p) {
    return p[0] | (p[1] << 8);
}

struct JpegErrors {
    jpeg_error_mgr mgr;
    std::jmp_buf failed;
    int warnings = 0;
};

[[noreturn]] void JpegFailed(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->failed, 1);
}

// Level -1 is a warning (libjpeg's way of saying it made data up); the others only trace.
void JpegMessage(j_common_ptr cinfo, int level) {
    if (level < 0) ++reinterpret_cast<JpegErrors*>(cinfo->err)->warnings;
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
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                JPOOL_IMAGE,
                                                cinfo.output_width * cinfo.output_components, 1);
    while (cinfo.output_scanline < cinfo.output_height)
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1) return false;
    return jpeg_finish_decompress(&cinfo) && errors.warnings == 0;
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

bool IsWholeGif(const QByteArray& bytes) {
    const qsizetype size = bytes.size();
    auto byte = [&](qsizetype at) { return uint8_t(bytes.at(at)); };
    auto colourTable = [](uint8_t packed) -> qsizetype {
        return (packed & 0x80) ? 3 << ((packed & 7) + 1) : 0;
    };
    // Data sub-blocks: a length byte and that many bytes, up to a zero length.
    auto skipSubBlocks = [&](qsizetype& at) {
        while (at < size) {
            const uint8_t length = byte(at++);
            if (length == 0) return true;
            at += length;
        }
        return false;
    };

    if (size < 13 || !(bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))) return false;
    qsizetype at = 13 + colourTable(byte(10));
    while (at < size) {
        switch (byte(at++)) {
        case 0x3B: // trailer
            return true;
        case 0x21: // extension: a label, then sub-blocks
            ++at;
            if (!skipSubBlocks(at)) return false;
            break;
        case 0x2C: // image: descriptor, local colour table, code size, sub-blocks
            if (at + 9 > size) return false;
            at += 9 + colourTable(byte(at + 8));
            ++at;
            if (!skipSubBlocks(at)) return false;
            break;
        default:
            return false;
        }
    }
    return false;
}

bool IsWholeBmp(const QByteArray& bytes) {
    const std::optional<vb::BmpLayout> layout = vb::ReadBmpLayout(bytes.left(256));
    return layout && vb::BmpPixelsComplete(bytes, *layout);
}

bool IsWholePicture(const QByteArray& bytes) {
    if (bytes.startsWith("BM")) return IsWholeBmp(bytes);
    if (bytes.startsWith("GIF8")) return IsWholeGif(bytes);
    if (bytes.startsWith("\xFF\xD8")) return IsWholeJpeg(bytes);
    return false;
}

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

PictureHeader ReadPictureHeader(QIODevice& device) {
    PictureHeader header;
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    header.Format = reader.format();
    header.Size = reader.size();
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
