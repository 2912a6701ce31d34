#include "platform/EInOutError.h"

#include <cerrno>
#include <cstring>

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
    // What the file system says of the thing at the file's name, in words:
    // a number would tell the user nothing.
    case ELOOP:
        return EInOutError("The file is a symbolic link, which is never written through");
    case EISDIR:
        return EInOutError("The file is a folder");
    case ENXIO:
        return EInOutError("The file is a FIFO or a device that nothing reads");
    case ETXTBSY:
        return EInOutError("The file is in use as a program");
    case ENAMETOOLONG:
        return EInOutError("The file's name is too long");
    case EIO:
        return EInOutError("The disk could not be read or written (input/output error)");
    default: {
        // The C library's own words, never translated (the messages are
        // Windows-1252 text, a translation might not be).
        const char* words = ::strerrordesc_np(error);
        return EInOutError("I/O error " + std::to_string(error) + (words ? std::string(" (") + words + ")" : ""));
    }
    }
}
