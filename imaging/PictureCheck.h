#pragma once
// Whether the bytes of a picture file are whole: every pixel is in the file, so nothing of
// the picture is made up. Bytes after its end (a JPEG's end marker, a GIF's first image, a
// BMP's pixel data) do not matter.

#include <QByteArray>
#include <QSize>

class QIODevice;

// BMP, GIF or JPEG, told by their first bytes; anything else is not whole.
bool IsWholePicture(const QByteArray& bytes);

// No more scans than any encoder writes (see MaxJpegScans), each decoded with no libjpeg
// warning of missing or corrupt data (bytes skipped between segments lose nothing), up to
// its end marker; a file of one Huffman-coded scan whose every block is in its data may
// lack the end marker, or keep only its first byte.
bool IsWholeJpeg(const QByteArray& bytes);
// Its first image's compressed data holds every one of its pixels (the only image shown:
// whatever follows it does not matter).
bool IsWholeGif(const QByteArray& bytes);
// Every row's pixels, where the header says they start (the last row's padding may be
// missing; a start past the file's end holds none); RLE data up to its end: its
// end-of-bitmap marker, or an end of line on the last row.
bool IsWholeBmp(const QByteArray& bytes);

// What a picture's header tells before it is decoded: its format (as QImageReader names
// it), the size it takes once decoded (for a GIF the canvas of its first image, which can
// be far larger than the image itself; invalid when the header cannot be read), and for a
// GIF whether decoding needs a second full-size image.
struct PictureHeader {
    QByteArray Format;
    QSize Size;
    bool NeedsSecondImage = false;
};
PictureHeader ReadPictureHeader(QIODevice& device);
// The decoded size of the picture in `bytes`, as ReadPictureHeader gives it.
QSize HeaderSize(const QByteArray& bytes);

// What a GIF's header tells of decoding its first image: the most that the canvas it is
// decoded onto can be (the logical screen, grown to hold the image, which may lie partly
// outside it or on a screen of nothing), and whether the image has a see-through colour or is to be
// restored after showing, either of which costs a second full-size image. Canvas is
// invalid when the header is not a GIF's or ends before the first image.
struct GifFirstImage {
    QSize Canvas;
    bool NeedsSecondImage = false;
};
GifFirstImage ReadGifFirstImage(QIODevice& gif);
