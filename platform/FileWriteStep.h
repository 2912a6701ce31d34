// The write step of every save: pwrite(2) until all bytes are down.
#pragma once

#include "platform/WriteStep.h"

class TFileWriteStep final : public IWriteStep {
public:
    int Write(int fd, const char* bytes, int64_t count, int64_t offset) override;
};
