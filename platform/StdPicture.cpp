#include "StdPicture.h"

#include "BmpDecoder.h"
#include "BmpLayout.h"
#include "GifDecoder.h"
#include "JpegMarkers.h"
#include "SaveFile.h"
#include "VbError.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>
#include <QStringList>

namespace vb {

QCursor StdPicture::toCursor() const {
    if (image_.isNull()) return QCursor();
    return QCursor(QPixmap::fromImage(image_), hotSpot_.x(), hotSpot_.y());
}

namespace {

QImage ReadOwnBmp(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? DecodeBmp(file.readAll()) : QImage();
}

// The reader leaves pixels that a GIF's first image never sets (its data ends early) black,
// or copies of rows above them in an interlaced image: they are made white instead.
void WhitenUnsetGifPixels(const QString& path, QImage& image) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    if (const std::optional<GifFirstFrame> frame = ReadGifFirstFrame(file, true))
        WhitenUnsetPixels(image, *frame);
}

// Refused at once when it holds far more scans than any encoder writes; read as it would be
// without the line end a pack keeps after it.
QImage ReadJpeg(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QImage();
    QByteArray bytes = file.readAll();
    if (HasTooManyScans(bytes)) return QImage();
    bytes = WithCutEndMarkerMended(bytes);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, "jpeg").read();
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
    // Files the reader could show with made-up or shifted pixels are decoded here instead.
    const bool jpeg = format == "jpeg" || format == "jpg";
    QImage image = format == "bmp" && NeedsOwnBmpDecoder(path) ? ReadOwnBmp(path)
                   : jpeg                                      ? ReadJpeg(path)
                                                               : reader.read();
    if (image.isNull()) Raise(ErrInvalidPicture);
    if (format == "gif") WhitenUnsetGifPixels(path, image);
    // A GIF's transparent pixels show the back colour of the area it is set on.
    const bool transparent = format == "gif" && image.hasAlphaChannel();
    return StdPicture(
        image.convertToFormat(transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32));
}

void WritePicture(const StdPicture& picture, SaveFile& file, int* SystemError) {
    if (SystemError) *SystemError = 0;
    if (picture.isEmpty()) Raise(ErrInvalidPicture);
    auto fail = [&] {
        if (SystemError) *SystemError = file.SystemError();
        Raise(ErrPathFileAccess);
    };
    if (!file.isOpen() && !file.open(QIODevice::WriteOnly)) fail();
    // Qt writes BMP files with 24 bits per pixel for RGB888 images.
    const QImage rgb = picture.image().convertToFormat(QImage::Format_RGB888);
    if (!rgb.save(&file, "BMP")) fail();
}

void SavePicture(const StdPicture& picture, const QString& path, int* SystemError) {
    // Written beside the target and renamed over it: an old file survives a failed write.
    SaveFile file(path);
    WritePicture(picture, file, SystemError);
    if (!file.commit()) {
        if (SystemError) *SystemError = file.SystemError();
        Raise(ErrPathFileAccess);
    }
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
