// The copies that file synchronisation tools leave beside a file that two
// computers changed while apart: the tool keeps one version under the file's
// name and renames the other. Found here by the tools' own naming rules, the
// marker always before the name's last extension:
//   books.sync-conflict-20261208-101010-ABCDEFG.orbl          (Syncthing)
//   books (conflicted copy 2026-12-08 101010).orbl            (Nextcloud)
//   books (conflicted copy Anna 2026-12-08 101010).orbl       (Nextcloud, with its user)
//   books_conflict-20261208-101010.orbl                       (Nextcloud's older clients)
//   books (Anna's conflicted copy 2026-12-08).orbl            (Dropbox; " (1)" after the date for more)
//   books.orbl.sync-conflict-20261208-101010-ABCDEFG.details  (a side file's copy)
// A name that only looks alike (another stem, a date that is none, a copy of
// a copy) is no copy. Only regular files count: a link or a folder of such a
// name is passed over.
//
// A copy once merged is moved aside, never deleted, into the folder
// ".volumnia-merged" beside it, where no search for copies looks; a name
// already taken there gets ".2", ".3"... at its end, so nothing is replaced.
#pragma once

#include <string>
#include <vector>

class TRFileSystem;

struct TConflictCopy {
    std::string Path;     // the copy's full path
    std::string Original; // the file it is a copy of (the database, a side file, the settings file)
    std::string Tool;     // "Syncthing", "Nextcloud", "Dropbox"
};

// The folder beside a copy that MoveAside moves it into.
inline constexpr const char* MergedFolderName = ".volumnia-merged";

// The sync tools' conflict copies of the file at path (Windows-1252 text) and
// of its side files that carry books (".details", ".history"), oldest first
// by the time in their names. Beside the file a symbolic link at path leads
// to, as the side files are. One read of the folder; none found when the
// folder cannot be read.
std::vector<TConflictCopy> FindConflictCopies(const std::string& path);
// Moves a merged copy into MergedFolderName beside it (made where missing),
// never replacing a file there; raises EInOutError naming the copy when the
// folder refuses.
void MoveAside(const TConflictCopy& copy);
// The conflict copies of the settings file of the store, merged into it key by
// key (settings/SettingsMerge), oldest first, each moved aside once merged.
// A copy that cannot be read or merged stays where it is. The copies merged.
std::vector<TConflictCopy> MergeSettingsCopies(TRFileSystem& settings);
