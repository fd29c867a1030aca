#pragma once
// JPEG files written with libjpeg in layouts Qt's writer does not offer: several scans,
// restart markers, arithmetic coding.

#include <QByteArray>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

namespace testing {

enum class JpegLayout { Baseline, Restarts, Progressive, ScanPerComponent, Arithmetic };

// A picture of `w` x `h` with detail in every block, in `layout`; its colour at half the
// resolution of its brightness, or at the same. Progressive in `scans` scans (up to 379)
// when given: the DC of every colour, then each coefficient of each colour alone, in two
// passes of successive approximation.
inline QByteArray JpegWritten(int w, int h, JpegLayout layout, bool subsampled = true,
                              int scans = 0) {
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 7 % 256, y * 5 % 256, (x ^ y) % 256));
    jpeg_compress_struct c{};
    jpeg_error_mgr errors;
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(w), c.image_height = JDIMENSION(h);
    c.input_components = 3, c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    if (!subsampled) c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;
    static const jpeg_scan_info perComponent[3] = {
        {1, {0}, 0, 63, 0, 0}, {1, {1}, 0, 63, 0, 0}, {1, {2}, 0, 63, 0, 0}};
    switch (layout) {
    case JpegLayout::Baseline:
        break;
    case JpegLayout::Restarts:
        c.restart_interval = 2;
        break;
    case JpegLayout::Progressive:
        jpeg_simple_progression(&c);
        break;
    case JpegLayout::ScanPerComponent:
        c.scan_info = perComponent, c.num_scans = 3;
        break;
    case JpegLayout::Arithmetic:
        c.arith_code = TRUE;
        break;
    }
    std::vector<jpeg_scan_info> script{{3, {0, 1, 2}, 0, 0, 0, 0}};
    for (int pass = 0; pass < 2; ++pass)
        for (int colour = 0; colour < 3; ++colour)
            for (int k = 1; k < 64; ++k) script.push_back({1, {colour}, k, k, pass, 1 - pass});
    script.resize(size_t(scans));
    if (scans > 0) c.scan_info = script.data(), c.num_scans = scans;
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = image.scanLine(int(c.next_scanline));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    const QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

} // namespace testing
