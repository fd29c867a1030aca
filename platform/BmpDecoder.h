#pragma once
// The program's own BMP decoder, for the files Qt's reader can get wrong (see
// BmpLayout::QtMayMisread): every pixel the file sets comes out as Qt's reader decodes it,
// every pixel it never sets white, the same on every load.

#include <QByteArray>
#include <QImage>

namespace vb {

// The picture in the bytes of a BMP file, in 32-bit RGB. Pixels an RLE stream skips or a
// short file never reaches are white. Null when the header is not one Qt's reader takes,
// claims more than the reader would allocate, or the file ends before its pixels.
QImage DecodeBmp(const QByteArray& file);

} // namespace vb
