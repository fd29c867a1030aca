#include "JpegMarkers.h"

#include <cstring>

namespace vb {

namespace {

constexpr uchar Sos = 0xDA, Eoi = 0xD9;

// Markers that stand alone, without a length: a stuffed 0xFF in coded data (0x00), a
// restart (0xD0-0xD7), the start of the file and TEM.
bool StandsAlone(uchar code) {
    return code == 0x00 || code == 0x01 || (code >= 0xD0 && code <= 0xD8);
}

} // namespace

int JpegScanCount(const QByteArray& jpeg, int stopAfter) {
    const auto* bytes = reinterpret_cast<const uchar*>(jpeg.constData());
    const qsizetype size = jpeg.size();
    int scans = 0;
    // Coded data and stray bytes between segments are passed over up to the next 0xFF;
    // a segment is skipped by its length. Every step moves on by a byte at least.
    for (qsizetype at = 2; at + 1 < size && scans <= stopAfter;) {
        const void* mark = std::memchr(bytes + at, 0xFF, size_t(size - at));
        if (!mark) break;
        at = static_cast<const uchar*>(mark) - bytes;
        if (at + 1 >= size) break;
        const uchar code = bytes[at + 1];
        if (code == 0xFF || StandsAlone(code)) {
            at += code == 0xFF ? 1 : 2; // a fill byte before a marker, or a marker alone
            continue;
        }
        if (code == Eoi) break;
        if (code == Sos) ++scans;
        if (at + 3 >= size) break;
        at += 2 + (bytes[at + 2] << 8 | bytes[at + 3]);
    }
    return scans;
}

bool HasTooManyScans(const QByteArray& jpeg) {
    return JpegScanCount(jpeg, MaxJpegScans) > MaxJpegScans;
}

QByteArray WithCutEndMarkerMended(const QByteArray& jpeg) {
    if (!jpeg.endsWith("\xFF\r\n")) return jpeg;
    return jpeg.chopped(2) + char(Eoi);
}

} // namespace vb
