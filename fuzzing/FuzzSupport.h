// What the two file-format fuzz harnesses share: a scratch folder on a RAM-backed
// file system made once per process, raw file access that needs no engine, the
// report of a finding, and the one place where the documented errors are caught.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace FuzzSupport {

// The process's own scratch folder, made on first use (tmpfs when there is one,
// since every input is written, saved and read back several times) and removed
// when the process ends normally.
const std::string& ScratchFolder();

// Replace a file's content with these bytes; a failure here is a broken harness
// set-up, reported like a finding.
void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);

// Print what went wrong and abort, so libFuzzer keeps the input as a crash and a
// regression test dies with the message.
[[noreturn]] void Fail(const std::string& what);

inline void Check(bool condition, const char* what)
{
    if (!condition)
        Fail(what);
}

// A text made printable for a report: control and high bytes escaped, clipped.
std::string Shown(std::string_view text);

// Two texts that should be equal, shown from shortly before their first difference.
std::string Mismatch(std::string_view got, std::string_view want);

// An error the readers may raise on purpose, by class name and its whole message
// (what() would stop at a NUL byte, and texts from the files may hold one).
struct TRefusal {
    std::string Class;
    std::string Message;
};

// Runs a load and catches only the program's documented error classes; any
// other exception passes through and ends the run as a crash.
std::optional<TRefusal> DocumentedRefusal(const std::function<void()>& load);

} // namespace FuzzSupport
