#include "SaveFailure.h"

#include <QDir>

#include <cerrno>

QString SaveFailureCause(const SaveFailure& failure) {
    switch (failure.SystemError) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: // the size the system allows this program is used up
        return QStringLiteral("The disk is full.");
    case EACCES:
    case EPERM:
    case EROFS:
    case ENOTDIR:
    case EEXIST: {
        QString folder = QDir::toNativeSeparators(failure.Folder);
        while (folder.size() > 1 && folder.endsWith(QDir::separator())) folder.chop(1);
        return QStringLiteral("The folder '%1' cannot be written to.").arg(folder);
    }
    case ENAMETOOLONG:
        return QStringLiteral("The file name is too long for the folder.");
    default:
        return QStringLiteral("The file could not be written.");
    }
}

QString SaveFailureMessage(const SaveFailure& failure, AfterFailedSave after) {
    const QString then =
        after == AfterFailedSave::Quitting
            ? QStringLiteral("Press 'Continue' to quit anyway (the colors will be lost), or "
                             "'Cancel' to go on coloring.")
            : QStringLiteral("The picture stays open so that nothing is lost. Make room on the "
                             "disk and try again.");
    return QStringLiteral("The colored picture could not be saved.\r\n\r\n") +
           SaveFailureCause(failure) + QStringLiteral("\r\n\r\n") + then;
}
