#include "tests/support/FailingWriteStep.h"

#include "platform/TextFile.h"

#include <cerrno>

TFailingWriteStep::TFailingWriteStep() : Inner(TTextFile::WriteStep()), Previous(TTextFile::SetWriteStep(this)) {}

TFailingWriteStep::TFailingWriteStep(int64_t failAfterBytes, bool once) : TFailingWriteStep()
{
    FailAfter(failAfterBytes, once);
}

TFailingWriteStep::~TFailingWriteStep()
{
    TTextFile::SetWriteStep(Previous);
}

void TFailingWriteStep::FailAfter(int64_t bytes, bool once)
{
    Limit = bytes;
    Once = once;
}

int TFailingWriteStep::Write(int fd, const char* bytes, int64_t count, int64_t offset)
{
    if (Limit < 0 || Limit > count)
        return Inner.Write(fd, bytes, count, offset);
    const int64_t accepted = Limit;
    if (Once)
        Limit = -1;
    if (const int error = Inner.Write(fd, bytes, accepted, offset))
        return error;
    return ENOSPC;
}
