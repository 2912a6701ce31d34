// Whole-file access for the two data files. Paths are Windows-1252 text, as
// every text below the widgets.
//
// Reads take the whole file at once, and only from a regular file of at most
// MaxFileSize bytes: a FIFO, a device or a huge file is refused at once with
// EUnusableFile instead of hanging or filling the memory.
//
// Writes keep the file's identity and never leave a torn file:
// - a symbolic link is followed: its target is written, the link stays;
// - an existing file the user may not write is refused ("File access denied"),
//   and one that is not a regular file is never replaced;
// - the new content goes to "<file>.saving" beside the target, made new (never
//   through a link at that name) with the file's mode, owner and group where
//   the process may set them; every write and the sync are checked, and only
//   a complete file replaces the old one by a rename;
// - a file with more than one name (a hard link), or one in a folder that takes
//   no new file, is rewritten in place instead: the whole content is written
//   and synced, and on a failure the old content is written back.
// On any failure the old file stays whole and EInOutError is raised.
#pragma once

#include "platform/EInOutError.h"
#include "platform/WriteStep.h"

#include <cstdint>
#include <string>

// A path that names something the stores cannot read as a data file: not a
// regular file, or larger than any data file can sensibly be.
class EUnusableFile : public EInOutError {
public:
    using EInOutError::EInOutError;
};

class TTextFile {
public:
    // Far above what either file can hold in practice: 1500 books of eight
    // texts of 10 000 characters each come to about 120 MB. A bigger file is not
    // one of ours, and reading it whole would only exhaust the memory.
    static constexpr int64_t MaxFileSize = 128 * 1024 * 1024;

    static bool Exists(const std::string& path);
    // The file's bytes; raises EInOutError when it cannot be opened or read,
    // EUnusableFile when it is no regular file or larger than MaxFileSize.
    static std::string ReadAll(const std::string& path);
    static void WriteAtomically(const std::string& path, const std::string& data);
    // WriteAtomically, unless the file already holds exactly these bytes:
    // then nothing is written (no rename, no sync). Whether it wrote.
    static bool WriteIfChanged(const std::string& path, const std::string& data);
    // Removes a regular file (never what a link points to, nor a folder);
    // best effort, a file that cannot be removed stays.
    static void Remove(const std::string& path);

    // The step that puts a save's new content into the file; TFileWriteStep
    // unless another is installed.
    static IWriteStep& WriteStep();
    // Installs step for every save from now on (nullptr: TFileWriteStep again)
    // and returns the one installed before, nullptr for TFileWriteStep. The
    // caller keeps ownership.
    static IWriteStep* SetWriteStep(IWriteStep* step);
};
