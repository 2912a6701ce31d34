// The step of a save that puts the new content into the open file. TTextFile
// saves through the installed step (TTextFile::SetWriteStep); by default that
// is TFileWriteStep, the plain positioned write. Another step can stand in
// for the disk, one that fills up for instance, the way the message, shell and
// clock services of the windows can be replaced.
#pragma once

#include <cstdint>

class IWriteStep {
public:
    virtual ~IWriteStep() = default;
    // Writes count bytes at offset of the open file fd. 0 when all of them are
    // down; otherwise the errno of the failure, ENOSPC for a write that takes
    // nothing. Bytes written before a failure may stay in the file.
    virtual int Write(int fd, const char* bytes, int64_t count, int64_t offset) = 0;
};
