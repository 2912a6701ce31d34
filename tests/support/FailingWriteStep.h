// A disk that fills up: the write step of every save for the object's
// lifetime, installed when made and replaced by the one before when gone (so a
// failed assertion leaves no fault behind for the next test).
//
// Armed with N >= 0, a save's write puts down only the first N bytes of its
// content and then fails with ENOSPC ("Disk full"), as a full disk does; a
// content of fewer than N bytes goes down whole. Once: the first failure
// disarms it; otherwise every later save fails the same way until Clear().
#pragma once

#include "platform/WriteStep.h"

#include <cstdint>

class TFailingWriteStep final : public IWriteStep {
public:
    // Installed, not armed: every write goes through.
    TFailingWriteStep();
    TFailingWriteStep(int64_t failAfterBytes, bool once);
    ~TFailingWriteStep() override;
    TFailingWriteStep(const TFailingWriteStep&) = delete;
    TFailingWriteStep& operator=(const TFailingWriteStep&) = delete;

    void FailAfter(int64_t bytes, bool once);
    void Clear() { FailAfter(-1, false); }

    int Write(int fd, const char* bytes, int64_t count, int64_t offset) override;

private:
    IWriteStep& Inner;    // the step installed before: puts down the bytes taken
    IWriteStep* Previous; // what SetWriteStep gave back, put back when gone
    int64_t Limit = -1;
    bool Once = false;
};
