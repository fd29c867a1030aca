#pragma once
// What a JPEG file's markers tell before it is decoded: how many scans it holds, and where a
// line end after it would be read as a marker.

#include <QByteArray>

namespace vb {

// Far more scans than any encoder writes (about ten is usual). Each scan is a pass over
// every block of the picture, so thousands of them keep a decoder busy for minutes; a file
// holding more is taken as damaged.
constexpr int MaxJpegScans = 100;

// The start-of-scan markers of `jpeg` up to its end marker, walked segment by segment and
// past the coded data as a decoder reads them; counting stops once past `stopAfter`.
int JpegScanCount(const QByteArray& jpeg, int stopAfter = MaxJpegScans);
bool HasTooManyScans(const QByteArray& jpeg);

// A pack keeps a line end after each picture. A JPEG cut inside its end marker then ends in
// 0xFF and that line end, which a decoder reads as an unknown marker: the end marker is
// put back in their place, so it reads as the JPEG lacking its end marker that it is.
QByteArray WithCutEndMarkerMended(const QByteArray& jpeg);

} // namespace vb
