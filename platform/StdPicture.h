#pragma once
// Pictures as the program passes them around: a bitmap (or nothing), and for a cursor
// picture its hot spot. LoadPicture, SavePicture and LoadResPicture read and write them.

#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QString>

namespace vb {

class SaveFile;

class StdPicture {
public:
    StdPicture() = default;
    explicit StdPicture(QImage image) : image_(std::move(image)) {}
    StdPicture(QImage image, QPoint hotSpot)
        : image_(std::move(image)), hotSpot_(hotSpot), isCursor_(true) {}

    bool isEmpty() const { return image_.isNull(); }
    const QImage& image() const { return image_; }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    bool isCursor() const { return isCursor_; }
    QPoint hotSpot() const { return hotSpot_; }
    // The picture as a mouse cursor (a bitmap picture points with its top-left corner).
    QCursor toCursor() const;

private:
    QImage image_;
    QPoint hotSpot_;
    bool isCursor_ = false;
};

constexpr int vbResBitmap = 0;
constexpr int vbResIcon = 1;
constexpr int vbResCursor = 2;

// BMP, GIF or JPEG; "" gives the empty picture; a missing file raises 53, a file that is
// not a picture raises 481. A GIF keeps its transparency; other pictures are opaque.
StdPicture LoadPicture(const QString& path);
// Writes a 24-bit BMP file, replacing an old one only once the new one is whole; an empty
// picture raises 481, a file that cannot be written 75.
// A failed file step raises error 75; SystemError, when given, receives its errno (0 when
// the file itself did not fail).
void SavePicture(const StdPicture& picture, const QString& path, int* SystemError = nullptr);
// The writing half of SavePicture: the BMP goes into `file` (opened here when it is not
// open yet), left for the caller to commit together with another file.
void WritePicture(const StdPicture& picture, SaveFile& file, int* SystemError = nullptr);
// A bitmap (kind 0) or cursor (kind 2) of the program's own resources; an unknown id
// raises 326 ("Resource with identifier not found").
StdPicture LoadResPicture(int id, int kind);

} // namespace vb
