#include "platform/EInOutError.h"

#include <cerrno>

EInOutError EInOutError::FromErrno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return EInOutError("File access denied");
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return EInOutError("Disk full");
    case ENOENT:
        return EInOutError("File not found");
    case ENOTDIR:
        return EInOutError("Path not found");
    default:
        return EInOutError("I/O error " + std::to_string(error));
    }
}
