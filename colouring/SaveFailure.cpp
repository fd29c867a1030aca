#include "SaveFailure.h"

#include "WriteError.h"

#include <QDir>

#include <cerrno>

QString SaveFailureCause(const SaveFailure& failure) {
    // A file where the copy's folder should be stops the folder from being made.
    const vb::WriteError what = failure.SystemError == EEXIST
                                    ? vb::WriteError::FolderNotWritable
                                    : vb::ClassifyWriteError(failure.SystemError);
    switch (what) {
    case vb::WriteError::DiskFull:
        return QStringLiteral("The disk is full.");
    case vb::WriteError::FolderNotWritable: {
        QString folder = QDir::toNativeSeparators(failure.Folder);
        while (folder.size() > 1 && folder.endsWith(QDir::separator())) folder.chop(1);
        return QStringLiteral("The folder '%1' cannot be written to.").arg(folder);
    }
    case vb::WriteError::NameTooLong:
        return QStringLiteral("The file name is too long for the folder.");
    case vb::WriteError::Other:
        break;
    }
    return QStringLiteral("The file could not be written.");
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
