#pragma once
// What a failed write's errno means to the person who has to mend it.

#include <cerrno>

namespace vb {

enum class WriteError { DiskFull, FolderNotWritable, NameTooLong, Other };

inline WriteError ClassifyWriteError(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: // over the size a file may have here: full all the same
        return WriteError::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
    case ENOTDIR:
        return WriteError::FolderNotWritable;
    case ENAMETOOLONG:
        return WriteError::NameTooLong;
    default:
        return WriteError::Other;
    }
}

} // namespace vb
