#pragma once
// Whether the bytes of a picture file are whole: its decoder reaches the end of its data
// without a warning, so nothing of the picture is made up. Bytes after that end (a JPEG's
// end marker, a GIF's trailer, a BMP's pixel data) do not matter.

#include <QByteArray>
#include <QSize>

// BMP, GIF or JPEG, told by their first bytes; anything else is not whole.
bool IsWholePicture(const QByteArray& bytes);

// Each decoded up to its end marker with no warning from libjpeg.
bool IsWholeJpeg(const QByteArray& bytes);
// Its blocks walked up to the trailer.
bool IsWholeGif(const QByteArray& bytes);
// As long as its pixel array; RLE data up to its end-of-bitmap marker.
bool IsWholeBmp(const QByteArray& bytes);

// The picture's size as its header gives it, without decoding; invalid when unreadable.
QSize HeaderSize(const QByteArray& bytes);
