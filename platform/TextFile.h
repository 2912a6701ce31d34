// Whole-file access for the two data files. Paths are Windows-1252 text, as
// every text below the widgets.
//
// Reads take the whole file at once, and only from a regular file of at most
// MaxFileSize bytes: a FIFO, a device or a huge file is refused at once with
// EUnusableFile instead of hanging or filling the memory.
//
// Writes never leave a torn file:
// - a symbolic link is followed: its target is written, the link stays;
// - an existing file the user may not write is refused ("File access denied"),
//   and one that is not a regular file is never replaced;
// - the new content goes to "<file>.saving" beside the target, made new (never
//   through a link at that name) with the file's mode, owner, group and
//   extended attributes (its ACL among them) where the process may set them;
//   every write and the sync are checked, and only a complete file replaces
//   the old one by a rename;
// - a file with more than one name (a hard link) is replaced the same way:
//   the name saved gets the new file, the other names keep the old content;
// - in a folder that takes no new file the save is refused up front, naming
//   the file and saying why, and nothing is written; so is the save of
//   another user's file in a sticky folder, which would refuse the rename;
// - a leftover "<file>.saving" of a killed save is removed, another user's
//   too where the folder allows it (the saver holds the files' locks);
// - a side file of the database (TTextFile::WriteSideFile) is never written
//   through a symbolic link: one at its name is refused;
// - a file saved by a user who does not own it (one that an ACL or the group
//   lets write it) becomes that user's: its owner keeps their access by an
//   ACL entry of their own, or, where the file system keeps no ACL and others
//   may not use the file, the save is refused before the file is replaced.
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

// A regular file larger than any data file can be (TTextFile::MaxFileSize).
class EFileTooLarge : public EUnusableFile {
public:
    using EUnusableFile::EUnusableFile;
};

class TTextFile {
public:
    // Far above what either file can hold in practice: 1500 books of eight
    // texts of 10 000 characters each come to about 120 MB. A bigger file is not
    // one of ours, and reading it whole would only exhaust the memory.
    static constexpr int64_t MaxFileSize = 128 * 1024 * 1024;

    static bool Exists(const std::string& path);
    // The file's bytes; raises EInOutError when it cannot be opened or read,
    // EUnusableFile when it is no regular file, EFileTooLarge (naming the
    // limit) when it is larger than MaxFileSize.
    static std::string ReadAll(const std::string& path);
    // The size of the regular file at path (a link followed), -1 when there is none.
    static int64_t SizeOf(const std::string& path);
    static void WriteAtomically(const std::string& path, const std::string& data);
    // Writes data as a new file at path that takes original's mode, owner,
    // group and extended attributes: a copy kept beside original. Whatever
    // link stands at path (symbolic or hard) is replaced, never written
    // through, so its target stays untouched; a FIFO, a device or a folder
    // at path is refused.
    static void WriteCopyOf(const std::string& path, const std::string& data, const std::string& original);
    // WriteAtomically, unless the file already holds exactly these bytes:
    // then nothing is written (no rename, no sync). Whether it wrote.
    static bool WriteIfChanged(const std::string& path, const std::string& data);
    // Adds data at the end of a regular file, making it if missing (never
    // through a symbolic link at path): a log's append. Where the file does
    // not end in CR LF (a write cut by a kill) a CR LF goes first, so the new
    // bytes start a line of their own. Every write and the sync are checked;
    // a kill loses at most these bytes, never what the file held before. A
    // file of more than one name (a hard link) is not appended through: this
    // name gets a new file of the old content and data, with the file's own
    // mode, owner, group and attributes, and the other names keep the old
    // content, as WriteAtomically leaves them.
    static void Append(const std::string& path, const std::string& data);

    // The name of a side file of the database file at databaseFile, the
    // suffix (".history", ".due", ".bak") added: beside the file a symbolic
    // link at databaseFile leads to, as the database's lock is, so that every
    // name of the database finds the same side files. Otherwise beside
    // databaseFile as given.
    static std::string SideFileName(const std::string& databaseFile, const std::string& suffix);
    // Writes a side file of the database (its history, its due dates) whole,
    // by a new file renamed over the name. An existing file keeps its own
    // mode, owner, group and extended attributes (its ACL among them); a hard
    // link at path is replaced, its other names keeping the old content. A
    // new file takes the database file's mode, group and access ACL, not the
    // umask, so that everyone who may write the database may write it too.
    // A symbolic link at path is refused ("is a symbolic link"), never
    // followed nor replaced, as are a folder, a FIFO or a device.
    static void WriteSideFile(const std::string& path, const std::string& data, const std::string& databaseFile);
    // Why a side file at path could not be written now, or "" when it
    // could: what stands at its name, or what its file or folder refuses.
    // A check made before a change, so that the user is told before.
    static std::string SideFileProblem(const std::string& path);
    // Makes the folder at path, beside the database, for files kept with it
    // (its covers), unless it stands already. A new folder takes the database
    // file's group and its mode with each class that may read the file also
    // allowed to enter the folder, so that everyone who may write the
    // database may add files there. A symbolic link, a file or anything else
    // at the name is refused, never followed.
    static void MakeSideFolder(const std::string& path, const std::string& databaseFile);
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
