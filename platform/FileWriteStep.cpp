#include "platform/FileWriteStep.h"

#include <cerrno>
#include <sys/types.h>
#include <unistd.h>

int TFileWriteStep::Write(int fd, const char* bytes, int64_t count, int64_t offset)
{
    int64_t done = 0;
    while (done < count) {
        const ssize_t written =
            ::pwrite(fd, bytes + done, static_cast<size_t>(count - done), static_cast<off_t>(offset + done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return errno;
        if (written == 0)
            return ENOSPC;
        done += written;
    }
    return 0;
}
