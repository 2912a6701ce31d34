#include "engine/History.h"

#include "engine/Database.h"
#include "platform/Crc32.h"
#include "platform/EInOutError.h"
#include "platform/TabText.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

// VH1 lines hold the ten texts of each book; VH2 lines, written where a
// book of the change has details, follow each book's texts with its details
// (a count, then key and value for each, UTF-8).
const char* const Mark = "VH1";
const char* const DetailsMark = "VH2";

using Crc32::Hex;

bool Number(std::string_view text, long long& value)
{
    if (text.empty() || text.size() > 19)
        return false;
    char digits[20];
    std::memcpy(digits, text.data(), text.size());
    digits[text.size()] = '\0';
    char* end = nullptr;
    value = std::strtoll(digits, &end, 10);
    return end == digits + text.size();
}

// The tab-separated parts of a text, one after the other.
class TParts {
public:
    explicit TParts(std::string_view text) : Text(text) {}
    bool Next(std::string_view& part)
    {
        if (Done)
            return false;
        const size_t tab = Text.find('\t', At);
        if (tab == std::string_view::npos) {
            part = Text.substr(At);
            Done = true;
        } else {
            part = Text.substr(At, tab - At);
            At = tab + 1;
        }
        return true;
    }
    bool AtEnd() const { return Done; }

private:
    std::string_view Text;
    size_t At = 0;
    bool Done = false;
};

// Checks a line as Decode does, filling entry where one is given: a trim
// keeps only entries that read, without making them.
bool Parse(std::string_view line, THistoryEntry* entry)
{
    const size_t lastTab = line.rfind('\t');
    if (lastTab == std::string_view::npos || line.size() - lastTab != 9)
        return false;
    const std::array<char, 8> crc = Hex(Crc32::Of(line.data(), lastTab));
    if (line.substr(lastTab + 1) != std::string_view(crc.data(), crc.size()))
        return false;
    TParts parts(line.substr(0, lastTab));
    std::string_view mark, time, program, kind, count;
    if (!parts.Next(mark) || !parts.Next(time) || !parts.Next(program) || !parts.Next(kind) || !parts.Next(count) ||
        (mark != Mark && mark != DetailsMark))
        return false;
    const bool withDetails = mark == DetailsMark;
    long long when = 0;
    long long books = 0;
    TBookChangeKind changeKind = TBookChangeKind::Updated;
    if (!Number(time, when) || !TabText::Unescaped(program, entry ? &entry->Program : nullptr) ||
        !KindFromName(std::string(kind), changeKind) || !Number(count, books) || books < 0)
        return false;
    if (entry) {
        entry->Time = when;
        entry->Change.Kind = changeKind;
        entry->Change.Books.clear();
        // Room for no more books than the line can hold (each takes four
        // bytes at least), whatever a damaged count says.
        entry->Change.Books.reserve(std::min(static_cast<size_t>(books), line.size() / 4));
    }
    TBookChange::TBook book;
    for (long long b = 0; b < books; ++b) {
        std::string_view number, marks;
        long long id = 0;
        // A number no book can have (0, negative, past 32 bits) is damage.
        if (!parts.Next(number) || !parts.Next(marks) || !Number(number, id) || id <= 0 ||
            id > std::numeric_limits<int32_t>::max() || marks.size() != 2 || (marks[0] != 'B' && marks[0] != '-') ||
            (marks[1] != 'A' && marks[1] != '-'))
            return false;
        book.ID = static_cast<int32_t>(id);
        for (size_t which = 0; which < 2; ++which) {
            std::optional<TItem>& item = which == 0 ? book.Before : book.After;
            if (marks[which] == '-') {
                item.reset();
                continue;
            }
            item.emplace();
            item->ID = book.ID;
            for (std::string& field : item->Fields) {
                std::string_view text;
                if (!parts.Next(text) || !TabText::Unescaped(text, entry ? &field : nullptr))
                    return false;
            }
            if (!withDetails)
                continue;
            std::string_view countText;
            long long values = 0;
            if (!parts.Next(countText) || !Number(countText, values) || values < 0)
                return false;
            std::string key;
            std::string value;
            for (long long v = 0; v < values; ++v) {
                std::string_view keyText, valueText;
                if (!parts.Next(keyText) || !parts.Next(valueText) || !TabText::Unescaped(keyText, &key) ||
                    key.empty() || !TabText::Unescaped(valueText, entry ? &value : nullptr))
                    return false;
                if (entry)
                    item->Details.Set(key, value);
            }
        }
        if (entry)
            entry->Change.Books.push_back(std::move(book));
    }
    return parts.AtEnd();
}

// The IDs of the books of a line Parse accepted, without reading their texts.
bool TouchesBook(std::string_view line, int32_t id)
{
    TParts parts(line.substr(0, line.rfind('\t')));
    std::string_view part, marks;
    parts.Next(part);
    const bool withDetails = part == DetailsMark;
    for (int header = 1; header < 4; ++header)
        parts.Next(part);
    long long books = 0;
    if (!parts.Next(part) || !Number(part, books))
        return false;
    for (long long b = 0; b < books; ++b) {
        long long bookId = 0;
        if (!parts.Next(part) || !parts.Next(marks) || !Number(part, bookId) || marks.size() != 2)
            return false;
        if (static_cast<int32_t>(bookId) == id) // as Parse makes the ID
            return true;
        for (size_t which = 0; which < 2; ++which) {
            if (marks[which] == '-')
                continue;
            for (int f = 0; f < 10; ++f)
                parts.Next(part);
            long long values = 0;
            if (withDetails && (!parts.Next(part) || !Number(part, values)))
                return false;
            for (long long v = 0; v < 2 * values; ++v)
                parts.Next(part);
        }
    }
    return false;
}

// Whether there is no history file to read. What stands at its name instead
// (a folder, a dangling link) is said in note: that is no empty history.
bool NothingToRead(const std::string& fileName, std::string* note)
{
    if (TTextFile::Exists(fileName))
        return false;
    const std::string problem = TTextFile::SideFileProblem(fileName);
    if (note && !problem.empty())
        *note = "The history " + problem + "; no change can be kept there.";
    return true;
}

std::string DamagedNote(size_t damaged, const std::string& fileName)
{
    return std::to_string(damaged) + (damaged == 1 ? " damaged entry" : " damaged entries") + " of the history " +
           fileName + " passed over.";
}

// The lines of the file's bytes; the last one without its CR LF is cut.
std::vector<std::string_view> Lines(std::string_view bytes, bool& cutAtEnd)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    cutAtEnd = false;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string_view::npos) {
            cutAtEnd = true;
            return lines;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool SameBook(const TItem* now, const std::optional<TItem>& book)
{
    if (!now || !book)
        return !now && !book;
    return now->Fields == book->Fields && now->Details == book->Details;
}

} // namespace

THistory::THistory(const std::string& databaseFileName)
    : FDatabaseFile(databaseFileName), FFileName(FileNameFor(databaseFileName))
{
}

std::string THistory::FileNameFor(const std::string& databaseFileName)
{
    return TTextFile::SideFileName(databaseFileName, ".history");
}

std::string THistory::Unwritable() const
{
    const std::string problem = TTextFile::SideFileProblem(FFileName);
    if (problem.empty())
        return problem;
    return "The history of changes cannot be written: " + problem +
           ". Changes are saved, but none reaches the history until that is mended.";
}

std::string THistory::Encode(const THistoryEntry& entry)
{
    return Encode(entry.Time, entry.Program, entry.Change);
}

std::string THistory::Encode(int64_t time, const std::string& program, const TBookChange& change)
{
    size_t size = 64 + program.size();
    bool withDetails = false;
    for (const TBookChange::TBook& book : change.Books) {
        size += 16;
        for (const std::optional<TItem>* item : {&book.Before, &book.After})
            if (*item) {
                for (const std::string& field : (*item)->Fields)
                    size += 1 + field.size();
                for (const auto& [key, value] : (*item)->Details.Values())
                    size += 2 + key.size() + value.size();
                withDetails = withDetails || !(*item)->Details.Empty();
            }
    }
    std::string line;
    line.reserve(size);
    line = withDetails ? DetailsMark : Mark;
    line += '\t' + std::to_string(time);
    TabText::Append(line, program);
    line += '\t' + KindName(change.Kind);
    line += '\t' + std::to_string(change.Books.size());
    for (const TBookChange::TBook& book : change.Books) {
        line += '\t' + std::to_string(book.ID) + '\t';
        line += book.Before ? 'B' : '-';
        line += book.After ? 'A' : '-';
        for (const std::optional<TItem>* item : {&book.Before, &book.After}) {
            if (!*item)
                continue;
            for (const std::string& field : (*item)->Fields)
                TabText::Append(line, field);
            if (!withDetails)
                continue;
            line += '\t' + std::to_string((*item)->Details.Size());
            for (const auto& [key, value] : (*item)->Details.Values()) {
                TabText::Append(line, key);
                TabText::Append(line, value);
            }
        }
    }
    const std::array<char, 8> crc = Hex(Crc32::Of(line.data(), line.size()));
    line += '\t';
    line.append(crc.data(), crc.size());
    line += "\r\n";
    return line;
}

bool THistory::Decode(std::string_view line, THistoryEntry& entry)
{
    return Parse(line, &entry);
}

bool THistory::Checked(std::string_view line)
{
    return Parse(line, nullptr);
}

void THistory::Append(const THistoryEntry& entry)
{
    Append(entry.Time, entry.Program, entry.Change);
}

std::string THistory::Append(int64_t time, const std::string& program, const TBookChange& change)
{
    const std::string line = Encode(time, program, change);
    // Only the size is needed here; the file is read only when it may have
    // to be trimmed.
    const int64_t size = TTextFile::SizeOf(FFileName);
    if (size < 0) {
        // No file: a new one, with the database's mode, group and ACL rather
        // than this user's umask, so that all who share the database share
        // its history. Whatever else stands at the name is refused.
        TTextFile::WriteSideFile(FFileName, line, FDatabaseFile);
        FLeftSize = static_cast<int64_t>(line.size());
        FOldestSize = line.size();
        return line;
    }
    const size_t room = FSizeLimit / 4 * 3;
    const size_t total = static_cast<size_t>(size) + line.size();
    // While the file is as this object left it, its oldest entry goes only
    // once the entries after it fill the room.
    const bool asLeft = size == FLeftSize;
    if (total <= FSizeLimit || (!FWithinLimit && asLeft && total - FOldestSize < room)) {
        TTextFile::Append(FFileName, line);
        FLeftSize = asLeft ? static_cast<int64_t>(total) : -1;
        return line;
    }
    // Keep the newest whole entries: each older one while the ones after it
    // (the new one with them) take less than three quarters of the limit, so
    // the entry in which the room runs out stays whole, however large.
    // Damaged ones go with the trim.
    std::string bytes;
    try {
        bytes = TTextFile::ReadAll(FFileName);
    } catch (const EInOutError&) {
    }
    bool cut = false; // a cut last line goes with the trim
    const std::vector<std::string_view> lines = Lines(bytes, cut);
    size_t kept = line.size();
    size_t first = lines.size();
    while (first > 0 && kept < room && (!FWithinLimit || kept + lines[first - 1].size() + 2 <= FSizeLimit)) {
        kept += lines[first - 1].size() + 2;
        --first;
    }
    std::string content;
    content.reserve(kept);
    bool damaged = cut;
    for (size_t i = first; i < lines.size(); ++i)
        if (Parse(lines[i], nullptr)) {
            content += lines[i];
            content += "\r\n";
        } else {
            damaged = true;
        }
    if (first == 0 && !damaged && bytes.size() == static_cast<size_t>(size)) {
        // Nothing goes: an append, not a rewrite of what stays.
        TTextFile::Append(FFileName, line);
        FLeftSize = static_cast<int64_t>(total);
    } else {
        content += line;
        TTextFile::WriteSideFile(FFileName, content, FDatabaseFile);
        FLeftSize = static_cast<int64_t>(content.size());
    }
    const size_t oldest = content.find("\r\n");
    FOldestSize = oldest == std::string::npos ? line.size() : oldest + 2;
    return line;
}

THistory::TLookup THistory::In(const TDatabase& database)
{
    return [&database](int32_t id) -> const TItem* {
        const int32_t slot = database.SlotOf(id);
        if (slot < 0 || database.ItemAt(slot).Deleted)
            return nullptr;
        return &database.ItemAt(slot);
    };
}

bool THistory::NeverSaved(const TBookChange& change, const TLookup& now)
{
    bool asBefore = true;
    bool asAfter = true;
    for (const TBookChange::TBook& book : change.Books) {
        const TItem* item = now(book.ID);
        asBefore = asBefore && SameBook(item, book.Before);
        asAfter = asAfter && SameBook(item, book.After);
    }
    return asBefore && !asAfter;
}

bool THistory::DropLastIf(const std::function<bool(std::string_view line)>& drop)
{
    if (!TTextFile::Exists(FFileName))
        return false;
    const std::string bytes = TTextFile::ReadAll(FFileName);
    bool cut = false;
    const std::vector<std::string_view> lines = Lines(bytes, cut);
    size_t last = lines.size();
    while (last > 0 && !Parse(lines[last - 1], nullptr))
        --last;
    if (last == 0 || !drop(lines[last - 1]))
        return false;
    // Whatever follows it (a line cut by the same kill) goes with it.
    TTextFile::WriteSideFile(FFileName, bytes.substr(0, static_cast<size_t>(lines[last - 1].data() - bytes.data())),
                             FDatabaseFile);
    FLeftSize = -1;
    return true;
}

bool THistory::SettleLast(const TLookup& now)
{
    return DropLastIf([&now](std::string_view line) {
        THistoryEntry entry;
        return Parse(line, &entry) && NeverSaved(entry.Change, now);
    });
}

void THistory::DropLast(const std::string& line)
{
    DropLastIf([&line](std::string_view last) {
        return line.size() == last.size() + 2 && line.compare(0, last.size(), last) == 0;
    });
}

std::vector<THistoryEntry> THistory::ReadAll(std::string* note, const TDatabase* database) const
{
    std::vector<THistoryEntry> entries;
    if (NothingToRead(FFileName, note))
        return entries;
    std::string bytes;
    try {
        bytes = TTextFile::ReadAll(FFileName);
    } catch (const EInOutError& error) {
        if (note)
            *note = "The history " + FFileName + " could not be read (" + error.what() + ").";
        return entries;
    }
    bool cut = false;
    const std::vector<std::string_view> lines = Lines(bytes, cut);
    size_t damaged = cut ? 1 : 0;
    entries.reserve(lines.size());
    for (const std::string_view line : lines) {
        if (line.empty())
            continue;
        THistoryEntry entry;
        if (Decode(line, entry))
            entries.push_back(std::move(entry));
        else
            ++damaged;
    }
    if (note && damaged > 0)
        *note = DamagedNote(damaged, FFileName);
    if (database && !entries.empty() && NeverSaved(entries.back().Change, In(*database)))
        entries.pop_back();
    return entries;
}

THistory::TLines THistory::ReadLines(std::string* note, const TDatabase* database) const
{
    TLines read;
    if (NothingToRead(FFileName, note))
        return read;
    try {
        read.FBytes = TTextFile::ReadAll(FFileName);
    } catch (const EInOutError& error) {
        if (note)
            *note = "The history " + FFileName + " could not be read (" + error.what() + ").";
        return read;
    }
    bool cut = false;
    const std::vector<std::string_view> lines = Lines(read.FBytes, cut);
    size_t damaged = cut ? 1 : 0;
    read.FLines.reserve(lines.size());
    for (const std::string_view line : lines) {
        if (line.empty())
            continue;
        if (Parse(line, nullptr))
            read.FLines.emplace_back(static_cast<size_t>(line.data() - read.FBytes.data()), line.size());
        else
            ++damaged;
    }
    if (note && damaged > 0)
        *note = DamagedNote(damaged, FFileName);
    if (database && read.Count() > 0 && NeverSaved(read.Entry(read.Count() - 1).Change, In(*database)))
        read.FLines.pop_back();
    return read;
}

THistoryEntry THistory::TLines::Entry(size_t i) const
{
    THistoryEntry entry;
    Parse(Line(i), &entry); // the line was checked when read
    return entry;
}

bool THistory::TLines::Touches(size_t i, int32_t id) const
{
    return TouchesBook(Line(i), id);
}

bool THistory::TLines::LastLeft(int32_t id, std::optional<TItem>& left) const
{
    for (size_t i = Count(); i-- > 0;) {
        if (!Touches(i, id))
            continue;
        const THistoryEntry entry = Entry(i);
        for (const TBookChange::TBook& book : entry.Change.Books)
            if (book.ID == id)
                left = book.After;
        return true;
    }
    return false;
}
