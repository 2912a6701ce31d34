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
// rewritten atomically with the newest entries, an entry going only once
// the entries after it fill three quarters of the limit; so the newest
// entries stay whole however large (an import of big books can still be
// taken back after the next edit). The caller holds the database's locks,
// which cover this file too. A folder or a link at the file's name is said
// in the read's note.
//
// The catalogue appends an entry ahead of the save of its change, so that a
// kill between the two never leaves a saved change missing from the history.
// A change whose save never came (a kill, a failed save) leaves its entry
// last, with its books standing as before it and not as after it
// (NeverSaved): a read given the database leaves such a last entry out, and
// the catalogue takes it out of the file before its next entry (SettleLast).
#pragma once

#include "engine/HistoryEntry.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TDatabase;

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
    // The same for a change not yet in an entry, which is not copied;
    // returns the line written.
    std::string Append(int64_t time, const std::string& program, const TBookChange& change);
    // Every whole entry, oldest first. A missing file is an empty history;
    // damaged or cut entries are passed over and told in one note. Given the
    // database (as the catalogue holds it, details attached), a last entry
    // whose save never came is left out.
    std::vector<THistoryEntry> ReadAll(std::string* note = nullptr, const TDatabase* database = nullptr) const;

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
        // The book of that ID as the newest entry that changed it left it
        // (nullopt: removed), in left; false where no entry changed it.
        bool LastLeft(int32_t id, std::optional<TItem>& left) const;

    private:
        friend class THistory;
        std::string_view Line(size_t i) const
        {
            return std::string_view(FBytes).substr(FLines[i].first, FLines[i].second);
        }
        std::string FBytes;
        std::vector<std::pair<size_t, size_t>> FLines; // where each line starts in FBytes, and its length
    };
    TLines ReadLines(std::string* note = nullptr, const TDatabase* database = nullptr) const;

    // Where a book stands now: the book of that ID, or nullptr for none.
    using TLookup = std::function<const TItem*(int32_t id)>;
    static TLookup In(const TDatabase& database);
    // Whether a change was written ahead of a save that never came: every
    // book of it stands as before the change (details included) and not
    // every one as after it. A change that changed nothing is kept.
    static bool NeverSaved(const TBookChange& change, const TLookup& now);
    // Takes the last whole entry out of the file where NeverSaved says so
    // of it; whether it did. Raises EInOutError when the file cannot be
    // rewritten.
    bool SettleLast(const TLookup& now);
    // Takes the last entry out where it is exactly line (Encode's): an entry
    // written ahead of a save that failed. Raises EInOutError.
    void DropLast(const std::string& line);

    // Why the history could not be written now, in a sentence for the user,
    // or "": what stands at its name, or a file this user may not write.
    std::string Unwritable() const;

    void SetSizeLimit(size_t bytes) { FSizeLimit = bytes; }
    // Every append leaves the file within the limit: an older entry goes
    // where keeping it would pass the limit, though the entries after it
    // fill less than three quarters of it (only an entry larger than the
    // limit alone passes it, alone). For a program that refuses such an
    // entry up front (volumnia-csv's import), so the history keeps its bound.
    void SetWithinLimit(bool within) { FWithinLimit = within; }
    const std::string& FileName() const { return FFileName; }

    // One entry as its line, CR LF included, and back (false for a line
    // that is damaged).
    static std::string Encode(const THistoryEntry& entry);
    static std::string Encode(int64_t time, const std::string& program, const TBookChange& change);
    static bool Decode(std::string_view line, THistoryEntry& entry);
    // Whether a line (without its CR LF) is a whole entry, its checksum
    // right, without making the entry.
    static bool Checked(std::string_view line);

private:
    // Rewrites the file without its last whole entry where drop says so of
    // it; whether it did.
    bool DropLastIf(const std::function<bool(std::string_view line)>& drop);

    std::string FDatabaseFile;
    std::string FFileName;
    size_t FSizeLimit = DefaultSizeLimit;
    bool FWithinLimit = false;
    // The file's size as this object last left it (-1: not known), and the
    // size its oldest entry takes: while the file is as left, no trim is
    // needed before the entries after that one fill the room, so an entry
    // kept past the limit does not make every append read the file.
    int64_t FLeftSize = -1;
    size_t FOldestSize = 0;
};
