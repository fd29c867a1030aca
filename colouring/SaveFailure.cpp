#include "SaveFailure.h"

#include "ShownPath.h"
#include "WriteError.h"

#include <cerrno>

namespace {

enum class Cause { DiskFull, ReadOnly, FileInTheWay, NameTooLong, Other };

Cause CauseOf(const SaveFailure& failure) {
    // A file where the copy's folder (or one above it) should be: the folder cannot be
    // made (EEXIST), or the path runs through the file (ENOTDIR).
    if (failure.SystemError == EEXIST || failure.SystemError == ENOTDIR) return Cause::FileInTheWay;
    switch (vb::ClassifyWriteError(failure.SystemError)) {
    case vb::WriteError::DiskFull:
        return Cause::DiskFull;
    case vb::WriteError::FolderNotWritable:
        return Cause::ReadOnly;
    case vb::WriteError::NameTooLong:
        return Cause::NameTooLong;
    case vb::WriteError::Other:
        break;
    }
    return Cause::Other;
}

} // namespace

QString SaveFailureCause(const SaveFailure& failure) {
    switch (CauseOf(failure)) {
    case Cause::DiskFull:
        return QStringLiteral("The disk is full.");
    case Cause::ReadOnly:
        return QStringLiteral("The folder '%1' cannot be written to.").arg(ShownPath(failure.Folder));
    case Cause::FileInTheWay:
        return QStringLiteral("'%1' is a file, but it should be a folder.")
            .arg(ShownPath(failure.InTheWay.isEmpty() ? failure.Folder : failure.InTheWay));
    case Cause::NameTooLong:
        return QStringLiteral("The file name is too long for the folder.");
    case Cause::Other:
        break;
    }
    return QStringLiteral("The file could not be written.");
}

QString SaveFailureAdvice(const SaveFailure& failure) {
    switch (CauseOf(failure)) {
    case Cause::DiskFull:
        return QStringLiteral("Make room on the disk, then try again.");
    case Cause::ReadOnly:
        return QStringLiteral("Make sure the folder is not read-only, then try again.");
    case Cause::FileInTheWay:
        return QStringLiteral("Move or rename that file, then try again.");
    case Cause::NameTooLong:
        return QStringLiteral("Give the picture a shorter file name to keep its colors.");
    case Cause::Other:
        break;
    }
    return QStringLiteral("Check the disk, then try again.");
}

QString SaveFailureMessage(const SaveFailure& failure, AfterFailedSave after) {
    QString then;
    switch (after) {
    case AfterFailedSave::Opening:
        then = QStringLiteral("Press 'Continue' to open another picture anyway (the colors of "
                              "this picture will not be kept), or 'Cancel' to go on coloring.");
        break;
    case AfterFailedSave::Clearing:
        then = QStringLiteral("Press 'Continue' to clear the picture anyway (its colors will "
                              "not be kept), or 'Cancel' to go on coloring.");
        break;
    case AfterFailedSave::Quitting:
        then = QStringLiteral("Press 'Continue' to quit anyway (the colors will be lost), or "
                              "'Cancel' to go on coloring.");
        break;
    }
    return QStringLiteral("The colored picture could not be saved.\r\n\r\n") +
           SaveFailureCause(failure) + QLatin1Char(' ') + SaveFailureAdvice(failure) +
           QStringLiteral("\r\n\r\n") + then;
}
