// Whole-file access for the two data files. Reads take the whole file at once;
// writes are atomic: the new content goes to "<file>.saving" in the same
// folder, every write and the sync to disk are checked, and only a complete
// file replaces the old one by a rename. On any failure the old file stays whole,
// the temporary file is removed and EInOutError is raised. Paths are
// Windows-1252 text, as every text below the widgets.
#pragma once

#include <cstdint>
#include <string>

class TTextFile {
public:
    static bool Exists(const std::string& path);
    // The file's bytes; raises EInOutError when it cannot be opened or read.
    static std::string ReadAll(const std::string& path);
    static void WriteAtomically(const std::string& path, const std::string& data);

    // Test hook for injected faults: when set to N >= 0, the next atomic writes
    // accept only N bytes of content and then fail as a full disk would.
    // FailOnce resets the hook after the first failure it causes.
    static void InjectWriteFault(int64_t failAfterBytes, bool failOnce);
    static void ClearWriteFault() { InjectWriteFault(-1, false); }
};
