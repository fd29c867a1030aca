#include "ColoredCopy.h"

#include "AppPath.h"
#include "VbError.h"

QString PictureFileName(const QString& picturePath) {
    return picturePath.mid(picturePath.lastIndexOf(QLatin1Char('/')) + 1);
}

QString BookName(const QString& picturePath) {
    const qsizetype last = picturePath.lastIndexOf(QLatin1Char('/'));
    if (last < 0) return {};
    // lastIndexOf(ch, -1) would search from the end again, so a separator at index 0
    // needs the explicit check.
    const qsizetype before = last > 0 ? picturePath.lastIndexOf(QLatin1Char('/'), last - 1) : -1;
    return picturePath.mid(before + 1, last - before - 1);
}

QString ColoredCopyName(const QString& fileName) {
    if (fileName.size() < 3) vb::Raise(vb::ErrInvalidProcedureCall);
    return fileName.left(fileName.size() - 3) + QStringLiteral("jpg");
}

QString ColoredCopyFolder(const QString& picturePath) {
    return vb::AppPath() + QStringLiteral("/colored pictures/") + BookName(picturePath) +
           QLatin1Char('/');
}

QString ColoredCopyPath(const QString& picturePath) {
    return ColoredCopyFolder(picturePath) + ColoredCopyName(PictureFileName(picturePath));
}

QString OwnPicturePath() {
    return vb::AppPath() + QStringLiteral("/books/own pictures/own.bmp");
}

QString OwnPageJournal(const QString& appPath) {
    return appPath + QStringLiteral("/books/own pictures/.tv-own-page-journal");
}
