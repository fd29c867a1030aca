#pragma once
// The program's own BMP decoder, for the files Qt's reader can get wrong (see
// BmpLayout::QtMayMisread): every pixel the file sets comes out as the file means it,
// every pixel it never sets white, the same on every load.

#include <QByteArray>
#include <QImage>

namespace vb {

// The picture in the bytes of a BMP file, in 32-bit RGB. Indexed pixels are converted as
// Qt's reader converts them; the channels of 16- and 32-bit pixels are scaled from their
// own width to 0-255, rounded. Pixels an RLE stream skips or a short file never reaches
// are white. Null when the header is not one the program reads, or claims more than Qt's
// reader would allocate.
QImage DecodeBmp(const QByteArray& file);

} // namespace vb
