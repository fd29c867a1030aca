#include "mIntelJPEGLibrary.h"

#include "SaveFile.h"
#include "VbError.h"

#include <QDateTime>
#include <QFileInfo>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
// jerror.h needs jpeglib.h first.
#include <jerror.h>

namespace {

constexpr int32_t kJpegError = 26001;
constexpr int32_t kNoPixels = -1;
constexpr int32_t kFileErrorBase = -100;

// libjpeg's default error exit ends the process; ours jumps back to the caller.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void errorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void silentMessage(j_common_ptr) {}

// A growing malloc'd buffer as the compressor's destination. (jpeg_mem_dest leaks its
// buffer when compression fails part way.)
struct MemoryDestination {
    jpeg_destination_mgr pub;
    JOCTET* data;
    size_t capacity;
    size_t used;
};

void initDestination(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<MemoryDestination*>(cinfo->dest);
    d->capacity = 64 * 1024;
    d->data = static_cast<JOCTET*>(std::malloc(d->capacity));
    if (!d->data) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    d->pub.next_output_byte = d->data;
    d->pub.free_in_buffer = d->capacity;
}

boolean emptyDestination(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<MemoryDestination*>(cinfo->dest);
    const size_t bigger = d->capacity * 2;
    auto* grown = static_cast<JOCTET*>(std::realloc(d->data, bigger));
    if (!grown) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    d->data = grown;
    d->pub.next_output_byte = grown + d->capacity;
    d->pub.free_in_buffer = bigger - d->capacity;
    d->capacity = bigger;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<MemoryDestination*>(cinfo->dest);
    d->used = d->capacity - d->pub.free_in_buffer;
}

// Starts the library: 0, or the status of the failure.
int32_t initCompressor(jpeg_compress_struct& cinfo, ErrorManager& err) {
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.output_message = silentMessage;
    if (setjmp(err.jump)) {
        const int32_t code = err.pub.msg_code;
        jpeg_destroy_compress(&cinfo);
        return code != 0 ? code : 1;
    }
    jpeg_create_compress(&cinfo);
    return 0;
}

// Rows of pixels in memory: the picture's top row at `top`, the next one `step` bytes on
// (negative for bottom-up rows), each pixel blue, green, red and, with 4 bytes, one unused.
struct Rows {
    const uint8_t* top;
    ptrdiff_t step;
    int32_t width, height, bytesPerPixel;
};

// Compresses the rows into out; 0, or the status of the failure. Only plain data lives in
// this frame, so a longjmp out of the library skips no destructor.
int32_t compress(jpeg_compress_struct& cinfo, ErrorManager& err, MemoryDestination& out,
                 const Rows& rows, int32_t quality) {
    if (setjmp(err.jump)) {
        const int32_t code = err.pub.msg_code;
        return code != 0 ? code : 1;
    }
    out.pub.init_destination = initDestination;
    out.pub.empty_output_buffer = emptyDestination;
    out.pub.term_destination = termDestination;
    cinfo.dest = &out.pub;
    cinfo.image_width = JDIMENSION(rows.width);
    cinfo.image_height = JDIMENSION(rows.height);
    cinfo.input_components = rows.bytesPerPixel;
    cinfo.in_color_space = rows.bytesPerPixel == 4 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rows.top + rows.step * ptrdiff_t(cinfo.next_scanline));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return 0;
}

// The section's pixels as they are now: its 32-bit image when that holds them all (no
// conversion to make), else its bytes, whose top row is the last one in memory. The
// encoder turns both into the same JPEG.
bool sectionRows(cDIBSection& section, Rows& rows) {
    if (const QImage* image = section.CurrentImage()) {
        rows = {image->constBits(), ptrdiff_t(image->bytesPerLine()), section.Width(),
                section.Height(), 4};
        return true;
    }
    const uint8_t* bits = section.DIBSectionBitsPtr();
    if (!bits) return false;
    const ptrdiff_t stride = section.BytesPerScanLine();
    rows = {bits + stride * (section.Height() - 1), -stride, section.Width(), section.Height(), 3};
    return true;
}

[[noreturn]] void raiseJpegError(const QString& text) {
    vb::Raise(kJpegError, text, vb::ProgramName() + QStringLiteral(".mIntelJPEGLibrary"));
}

[[noreturn]] void raiseSaveError(int32_t status) {
    raiseJpegError(QStringLiteral("Failed to save to JPG %1").arg(status));
}

[[noreturn]] void raiseFileError(const vb::SaveFile& file, int32_t* SystemError) {
    if (SystemError) *SystemError = file.SystemError();
    raiseSaveError(kFileErrorBase - int32_t(file.error()));
}

// Owns what the compressor holds, so every way out releases it.
struct Compressor {
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    MemoryDestination out{};
    bool started = false;
    ~Compressor() {
        if (started) jpeg_destroy_compress(&cinfo);
        std::free(out.data);
    }
};

} // namespace

void WriteJpegFile(cDIBSection& Section, vb::SaveFile& File, int32_t Quality,
                   int32_t* SystemError) {
    if (SystemError) *SystemError = 0;
    Compressor jpeg;
    if (const int32_t r = initCompressor(jpeg.cinfo, jpeg.err); r != 0)
        raiseJpegError(QStringLiteral("Failed to initialise the IJL library: %1").arg(r));
    jpeg.started = true;

    const QFileInfo old(File.Target());
    const bool existed = old.exists();
    const QDateTime accessed = existed ? old.lastRead() : QDateTime();
    const QDateTime modified = existed ? old.lastModified() : QDateTime();

    Rows rows;
    if (!sectionRows(Section, rows)) raiseSaveError(kNoPixels);
    if (const int32_t r = compress(jpeg.cinfo, jpeg.err, jpeg.out, rows, Quality); r != 0)
        raiseSaveError(r);

    // The temporary file takes the old one's permissions when it opens.
    if (!File.isOpen() && !File.open(QIODevice::WriteOnly)) raiseFileError(File, SystemError);
    if (File.write(reinterpret_cast<const char*>(jpeg.out.data), qint64(jpeg.out.used)) !=
            qint64(jpeg.out.used) ||
        !File.flush())
        raiseFileError(File, SystemError);
    if (existed) {
        // Set on the written temporary file, so the rename carries them over. The birth
        // time cannot be set on Linux; the new file's is its own.
        File.setFileTime(accessed, QFileDevice::FileAccessTime);
        File.setFileTime(modified, QFileDevice::FileModificationTime);
    }
}

bool SaveJpegFile(cDIBSection& Section, const QString& FilePath, int32_t Quality,
                  int32_t* SystemError) {
    vb::SaveFile file(FilePath);
    WriteJpegFile(Section, file, Quality, SystemError);
    if (!file.commit()) raiseFileError(file, SystemError);
    return true;
}
