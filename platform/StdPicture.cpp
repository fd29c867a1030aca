#include "StdPicture.h"

#include "BmpLayout.h"
#include "SaveFile.h"
#include "VbError.h"

#include <QFile>
#include <QFileInfo>
#include <QImageIOHandler>
#include <QImageReader>
#include <QPixmap>
#include <QStringList>

#include <cstring>

namespace vb {

QCursor StdPicture::toCursor() const {
    if (image_.isNull()) return QCursor();
    return QCursor(QPixmap::fromImage(image_), hotSpot_.x(), hotSpot_.y());
}

namespace {

// Whether pixel x of two scan lines of one format holds the same value.
bool SamePixel(const uchar* a, const uchar* b, int x, const QImage& format) {
    const int depth = format.depth();
    if (depth == 1) {
        const int shift = format.format() == QImage::Format_MonoLSB ? (x & 7) : 7 - (x & 7);
        return ((a[x >> 3] ^ b[x >> 3]) >> shift & 1) == 0;
    }
    const int bytes = depth / 8;
    return std::memcmp(a + x * bytes, b + x * bytes, size_t(bytes)) == 0;
}

// The reader fills an image handed to it in place when it has the size and format the file
// asks for, so two reads into images of all-zero and all-one bytes differ exactly in the
// pixels the file never wrote; those come out white.
QImage ReadBmpUndefinedWhite(const QString& path) {
    QImageReader probe(path, "bmp");
    const QSize size = probe.size();
    const QImage::Format format = probe.imageFormat();
    if (!size.isValid() || format == QImage::Format_Invalid) return QImage();
    QImage reads[2];
    for (int i = 0; i < 2; ++i) {
        QImage& image = reads[i];
        // Within the size the reader would allocate itself: a tiny file can claim any size.
        if (!QImageIOHandler::allocateImage(size, format, &image)) return QImage();
        std::memset(image.bits(), i == 0 ? 0x00 : 0xFF, size_t(image.sizeInBytes()));
        const uchar* const filled = image.constBits();
        QImageReader reader(path, "bmp");
        // A new image would hold memory nobody set: refuse it rather than show it.
        if (!reader.read(&image) || image.constBits() != filled) return QImage();
    }
    const QImage& first = reads[0];
    QImage out = first.convertToFormat(QImage::Format_RGB32);
    if (out.isNull()) return QImage();
    for (int y = 0; y < size.height(); ++y) {
        const uchar* a = first.constScanLine(y);
        const uchar* b = reads[1].constScanLine(y);
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            if (!SamePixel(a, b, x, first)) line[x] = 0xFFFFFFFF;
    }
    return out;
}

} // namespace

StdPicture LoadPicture(const QString& path) {
    if (path.isEmpty()) return StdPicture();
    if (!QFileInfo(path).isFile()) Raise(ErrFileNotFound);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format().toLower();
    static const QStringList accepted{"bmp", "gif", "jpeg", "jpg"};
    if (!accepted.contains(QString::fromLatin1(format))) Raise(ErrInvalidPicture);
    QImage image = format == "bmp" && MayLeavePixelsUndefined(path) ? ReadBmpUndefinedWhite(path)
                                                                    : reader.read();
    if (image.isNull()) Raise(ErrInvalidPicture);
    // A GIF's transparent pixels show the back colour of the area it is set on.
    const bool transparent = format == "gif" && image.hasAlphaChannel();
    return StdPicture(
        image.convertToFormat(transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32));
}

void SavePicture(const StdPicture& picture, const QString& path, int* SystemError) {
    if (SystemError) *SystemError = 0;
    if (picture.isEmpty()) Raise(ErrInvalidPicture);
    // Written beside the target and renamed over it: an old file survives a failed write.
    SaveFile file(path);
    auto fail = [&] {
        if (SystemError) *SystemError = file.SystemError();
        Raise(ErrPathFileAccess);
    };
    if (!file.open(QIODevice::WriteOnly)) fail();
    // Qt writes BMP files with 24 bits per pixel for RGB888 images.
    const QImage rgb = picture.image().convertToFormat(QImage::Format_RGB888);
    if (!rgb.save(&file, "BMP") || !file.commit()) fail();
}

StdPicture LoadResPicture(int id, int kind) {
    if (kind == vbResBitmap) {
        QImage image(QStringLiteral(":/bitmaps/%1.bmp").arg(id));
        if (image.isNull())
            Raise(326, QStringLiteral("Resource with identifier '%1' not found").arg(id));
        return StdPicture(image.convertToFormat(QImage::Format_RGB32));
    }
    if (kind == vbResCursor) {
        QImage image(QStringLiteral(":/cursors/%1.png").arg(id));
        if (image.isNull())
            Raise(326, QStringLiteral("Resource with identifier '%1' not found").arg(id));
        const QPoint hot(image.text(QStringLiteral("HotSpotX")).toInt(),
                         image.text(QStringLiteral("HotSpotY")).toInt());
        return StdPicture(image, hot);
    }
    Raise(ErrInvalidProcedureCall);
}

} // namespace vb
