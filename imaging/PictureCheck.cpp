#include "PictureCheck.h"

#include "BmpLayout.h"
#include "GifDecoder.h"
#include "JpegMarkers.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>

#include <csetjmp>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

namespace {

// What decoding a JPEG that the program can show (4096 pixels a side, four colour
// components, several scans) takes, with room to spare.
constexpr long MaxJpegMemory = 256L << 20;

struct JpegErrors {
    jpeg_error_mgr mgr;
    std::jmp_buf failed;
    bool lost = false;   // a warning that pixels are missing or made up
    bool ranOut = false; // the data ended before the end marker
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
    if (level >= 0) return;
    JpegErrors& errors = *reinterpret_cast<JpegErrors*>(cinfo->err);
    if (cinfo->err->msg_code == JWRN_JPEG_EOF)
        errors.ranOut = true;
    else if (!Harmless(cinfo->err->msg_code))
        errors.lost = true;
}

// Decodes every scan line (at an eighth of the size: the compressed data is read all the
// same) and finishes, which reads on to the end marker.
bool DecodesCleanly(jpeg_decompress_struct& cinfo, const JpegErrors& errors) {
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
    // A file without its end marker may still hold every pixel, but that can be known
    // only of one Huffman-coded scan: the Huffman decoder warns when it needs bits past
    // the data, so a scan that gives no warning decoded every block from real data. A file
    // of several scans may end between them, and an arithmetic decoder reads zeros past
    // the data without a word.
    const bool endMayLack = !jpeg_has_multiple_scans(&cinfo) && !cinfo.arith_code;
    cinfo.scale_num = 1;
    cinfo.scale_denom = 8;
    cinfo.dct_method = JDCT_IFAST;
    if (!jpeg_start_decompress(&cinfo)) return false;
    // From libjpeg's own pool, which jpeg_destroy frees on every way out.
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                cinfo.output_width * cinfo.output_components, 1);
    while (cinfo.output_scanline < cinfo.output_height)
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1) return false;
    return jpeg_finish_decompress(&cinfo) && !errors.lost && (!errors.ranOut || endMayLack);
}

} // namespace

bool IsWholeJpeg(const QByteArray& file) {
    // Refused before any scan is decoded: thousands of them take minutes.
    if (file.isEmpty() || vb::HasTooManyScans(file)) return false;
    const QByteArray bytes = vb::WithCutEndMarkerMended(file);
    jpeg_decompress_struct cinfo{};
    JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.mgr);
    errors.mgr.error_exit = JpegFailed;
    errors.mgr.emit_message = JpegMessage;
    volatile bool whole = false;
    if (setjmp(errors.failed) == 0) {
        jpeg_create_decompress(&cinfo);
        // A file of several scans is held whole, as coefficients, before its first line:
        // a few bytes can claim gigabytes. Past this, libjpeg fails instead.
        cinfo.mem->max_memory_to_use = MaxJpegMemory;
        jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()),
                     static_cast<unsigned long>(bytes.size()));
        whole = DecodesCleanly(cinfo, errors);
    }
    jpeg_destroy_decompress(&cinfo);
    return whole;
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

bool IsWholeGif(const QByteArray& bytes) {
    QBuffer gif;
    gif.setData(bytes); // shared, not copied
    gif.open(QIODevice::ReadOnly);
    const std::optional<vb::GifFirstFrame> frame = vb::ReadGifFirstFrame(gif, true);
    return frame && frame->Pixels == frame->Area();
}

GifFirstImage ReadGifFirstImage(QIODevice& gif) {
    GifFirstImage first;
    if (const std::optional<vb::GifFirstFrame> frame = vb::ReadGifFirstFrame(gif, false)) {
        const QRect& place = frame->Place;
        first.Canvas = QSize(std::max(frame->Screen.width(), place.x() + place.width()),
                             std::max(frame->Screen.height(), place.y() + place.height()));
        first.NeedsSecondImage = frame->SeeThroughOrRestored;
    }
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
    header.NeedsSecondImage = first.NeedsSecondImage;
    return header;
}

QSize HeaderSize(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes); // shared, not copied
    buffer.open(QIODevice::ReadOnly);
    return ReadPictureHeader(buffer).Size;
}
