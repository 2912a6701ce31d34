// THistory: the changes to the books of one database, kept beside its file
// across runs in "<database file>.history", oldest first.
//
// One entry a line (Windows-1252, CR LF), tab-separated:
//   VH1 <time ms UTC> <program> <kind> <book count>
//   then per book: <ID> <B or -><A or -> [10 fields before] [10 fields after]
//   and last the CRC-32 of everything before it, 8 hex digits.
// A change with details is written VH2: each book's ten fields are followed
// by its details, a count and then key and value for each (UTF-8). VH1
// lines, of changes without details and of earlier versions, still read.
// A tab, a backslash, CR or LF inside a text is written \t, \\, \r, \n.
// A line cut by a kill or damaged on disk fails its checksum and is passed
// over; the file is only appended to, so a kill loses at most the entry
// being written. Past SizeLimit bytes the oldest entries go: the file is
// rewritten atomically with the newest entries that fill three quarters of
// it. The caller holds the database's locks, which cover this file too. A
// folder or a link at the file's name is said in the read's note.
#pragma once

#include "engine/HistoryEntry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class THistory {
public:
    static constexpr size_t DefaultSizeLimit = 2 * 1024 * 1024;

    explicit THistory(const std::string& databaseFileName);
    // Beside the file a link at databaseFileName leads to (TTextFile::SideFileName).
    static std::string FileNameFor(const std::string& databaseFileName);

    // Appends one entry, trimming the oldest ones first where the file would
    // pass the limit. Raises EInOutError when the file cannot be written; a
    // symbolic link at its name is refused, never written through, by the
    // append and the trim alike (TTextFile::WriteSideFile), and a file made
    // new takes the database file's mode, group and ACL.
    void Append(const THistoryEntry& entry);
    // The same for a change not yet in an entry, which is not copied.
    void Append(int64_t time, const std::string& program, const TBookChange& change);
    // Every whole entry, oldest first. A missing file is an empty history;
    // damaged or cut entries are passed over and told in one note.
    std::vector<THistoryEntry> ReadAll(std::string* note = nullptr) const;

    // The entries ReadAll gives, with the same note, each kept as its line
    // and decoded only when asked for: a window lists a full history without
    // decoding every book of every change.
    class TLines {
    public:
        size_t Count() const { return FLines.size(); }
        // Entry i, oldest first, as ReadAll gives it.
        THistoryEntry Entry(size_t i) const;
        // Whether entry i changed the book of that ID.
        bool Touches(size_t i, int32_t id) const;

    private:
        friend class THistory;
        std::string_view Line(size_t i) const
        {
            return std::string_view(FBytes).substr(FLines[i].first, FLines[i].second);
        }
        std::string FBytes;
        std::vector<std::pair<size_t, size_t>> FLines; // where each line starts in FBytes, and its length
    };
    TLines ReadLines(std::string* note = nullptr) const;

    // Why the history could not be written now, in a sentence for the user,
    // or "": what stands at its name, or a file this user may not write.
    std::string Unwritable() const;

    void SetSizeLimit(size_t bytes) { FSizeLimit = bytes; }
    const std::string& FileName() const { return FFileName; }

    // One entry as its line, CR LF included, and back (false for a line
    // that is damaged).
    static std::string Encode(const THistoryEntry& entry);
    static std::string Encode(int64_t time, const std::string& program, const TBookChange& change);
    static bool Decode(std::string_view line, THistoryEntry& entry);

private:
    std::string FDatabaseFile;
    std::string FFileName;
    size_t FSizeLimit = DefaultSizeLimit;
};
