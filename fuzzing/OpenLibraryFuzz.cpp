// Fuzz harness of the reader of Open Library's Books API (jscmd=data) answers: the bytes as a server
// might send them, read into records that must pass LookupFuzz's checks.
// Anything else aborts.
#include "fuzzing/LookupFuzz.h"
#include "lookup/OpenLibraryAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    LookupFuzz::CheckAnswer(OpenLibraryAnswer::Parse(bytes));
    return 0;
}
