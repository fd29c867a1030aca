#include "ImportMessages.h"

#include "ShownPath.h"

namespace {

const QString Paragraph = QStringLiteral("\r\n\r\n");

} // namespace

QString ImportFailureText(const PicturePack::Result& result, const QString& booksFolder) {
    using PicturePack::Outcome;
    using PicturePack::WriteFailure;
    switch (result.Kind) {
    case Outcome::TooLarge:
        // Downloading it again would bring the same picture: the pack itself cannot be used.
        return QStringLiteral("This Picture Pack holds a picture that is too large to color "
                              "(more than %1 pixels wide or high), so the pack cannot be used.")
            .arg(PicturePack::MaxPictureSide);
    case Outcome::Unlisted:
        // Added, it would never be shown: the chooser lists only these kinds of file.
        return QStringLiteral("This Picture Pack holds a file that the picture library cannot "
                              "show (only pictures whose names end in .gif, .bmp or .jpg are "
                              "listed), so the pack cannot be used.");
    case Outcome::Twins:
        // Each picture's colors are kept under its name with the ending replaced, so the
        // second picture would show the first one's colors.
        return QStringLiteral("This Picture Pack holds two pictures whose colored copies "
                              "would be saved under one name (such as a.gif and a.bmp), so the "
                              "pack cannot be used.");
    case Outcome::CannotWrite: {
        const QString text =
            QStringLiteral("The pictures could not be written to the picture library. ");
        switch (result.Cause) {
        case WriteFailure::DiskFull:
            return text + QStringLiteral("The disk is full.");
        case WriteFailure::FolderNotWritable:
            return text + QStringLiteral("The books folder '%1' cannot be written to.")
                              .arg(ShownPath(booksFolder));
        case WriteFailure::Unknown:
            break;
        }
        return text + QStringLiteral("The disk may be full, or the books folder '%1' may not be "
                                     "writable.")
                          .arg(ShownPath(booksFolder));
    }
    default:
        return QStringLiteral("There was an error when trying to open The Tintavale package "
                              "file. The file appears to be damaged. Please download again.") +
               Paragraph +
               QStringLiteral("* Please note that you can not install The Tintavale Version 4 "
                              "Picture Packs for use within this program.");
    }
}
