#include "engine/Merge.h"

#include "engine/Database.h"
#include "engine/DetailsFile.h"
#include "engine/FieldTable.h"
#include "engine/History.h"
#include "platform/Cp1252.h"
#include "platform/TextFile.h"

#include <QFileInfo>

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace Merge {

namespace {

// The database file's texts as units: each one its own, but the loan (the
// loaner, its date and the due date go together) and the title and author,
// which carry their own letters with them.
struct TUnit {
    const char* Key;
    std::vector<size_t> Fields;
    std::vector<const char*> Details;
};

const std::vector<TUnit>& FileUnits()
{
    static const std::vector<TUnit> units = {
        {"title", {0}, {FieldTable::TitleOwnKey}},
        {"author", {1}, {FieldTable::AuthorOwnKey}},
        {"publisher", {2}, {}},
        {"year", {3}, {}},
        {"info1", {4}, {}},
        {"info2", {5}, {}},
        {"loan", {6, 7}, {FieldTable::DueKey}},
        {"field8", {8}, {}},
        {"field9", {9}, {}},
    };
    return units;
}

bool InFileUnit(std::string_view key)
{
    return key == FieldTable::TitleOwnKey || key == FieldTable::AuthorOwnKey || key == FieldTable::DueKey;
}

const TUnit* FileUnit(std::string_view key)
{
    for (const TUnit& unit : FileUnits())
        if (key == unit.Key)
            return &unit;
    return nullptr;
}

bool EqualIn(const TItem& a, const TItem& b, const std::string& key)
{
    if (const TUnit* unit = FileUnit(key)) {
        for (const size_t f : unit->Fields)
            if (a.Fields[f] != b.Fields[f])
                return false;
        for (const char* detail : unit->Details)
            if (a.Details.Value(detail) != b.Details.Value(detail))
                return false;
        return true;
    }
    return a.Details.Value(key) == b.Details.Value(key);
}

void CopyUnit(TItem& to, const TItem& from, const std::string& key)
{
    if (const TUnit* unit = FileUnit(key)) {
        for (const size_t f : unit->Fields)
            to.Fields[f] = from.Fields[f];
        for (const char* detail : unit->Details)
            to.Details.Set(detail, from.Details.Value(detail));
        return;
    }
    to.Details.Set(key, from.Details.Value(key));
}

bool Same(const TItem* a, const TItem* b)
{
    if (!a || !b)
        return !a && !b;
    return a->Fields == b->Fields && a->Details == b->Details;
}

const TItem* Ptr(const std::optional<TItem>& book)
{
    return book ? &*book : nullptr;
}

// The units of the versions given: the file's, then each detail key any
// of them holds, in key order.
std::vector<std::string> UnitsOf(std::initializer_list<const TItem*> books)
{
    std::vector<std::string> units;
    units.reserve(FileUnits().size() + 8);
    for (const TUnit& unit : FileUnits())
        units.emplace_back(unit.Key);
    const size_t fileUnits = units.size();
    for (const TItem* book : books)
        if (book)
            for (const auto& [key, value] : book->Details.Values())
                if (!InFileUnit(key))
                    units.push_back(key);
    std::sort(units.begin() + static_cast<std::ptrdiff_t>(fileUnits), units.end());
    units.erase(std::unique(units.begin() + static_cast<std::ptrdiff_t>(fileUnits), units.end()), units.end());
    return units;
}

using TBookMap = std::unordered_map<int32_t, const TItem*>;

TBookMap MapOf(const std::vector<TItem>& books)
{
    TBookMap map;
    map.reserve(books.size());
    for (const TItem& book : books)
        map.emplace(book.ID, &book);
    return map;
}

// Each book a side changed after its entry from: as it stood at that entry
// (the Before of the first later entry that changed it; nullopt: not there).
// Highest: raised to every number those entries name. Merged: where given,
// the books those entries' merges brought in as new and still there, as
// they came in.
std::unordered_map<int32_t, std::optional<TItem>> BasesAfter(const std::vector<std::string>& history, size_t from,
                                                             int32_t& highest,
                                                             std::unordered_map<int32_t, TItem>* merged = nullptr)
{
    std::unordered_map<int32_t, std::optional<TItem>> bases;
    for (size_t i = from + 1; i < history.size(); ++i) {
        THistoryEntry entry;
        if (!THistory::Decode(history[i], entry))
            continue;
        for (TBookChange::TBook& book : entry.Change.Books) {
            highest = std::max(highest, book.ID);
            if (merged && entry.Change.Kind == TBookChangeKind::Merged && !book.Before && book.After)
                merged->insert_or_assign(book.ID, *book.After);
            else if (merged && !book.After)
                merged->erase(book.ID); // removed since, or the merge taken back
            bases.try_emplace(book.ID, std::move(book.Before));
        }
    }
    return bases;
}

// The whole lines of a history file; the last one left out where its save
// never came (its books stand as before it, not as after it).
std::vector<std::string> HistoryLines(const std::string& fileName, const std::vector<TItem>& books)
{
    std::vector<std::string> lines;
    if (fileName.empty() || !TTextFile::Exists(fileName))
        return lines;
    const std::string bytes = TTextFile::ReadAll(fileName);
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos)
            break; // a line cut by a kill
        const std::string_view line = std::string_view(bytes).substr(start, end - start);
        if (THistory::Checked(line))
            lines.emplace_back(line);
        start = end + 2;
    }
    if (!lines.empty()) {
        THistoryEntry last;
        const TBookMap map = MapOf(books);
        const THistory::TLookup now = [&map](int32_t id) -> const TItem* {
            const auto found = map.find(id);
            return found == map.end() ? nullptr : found->second;
        };
        if (THistory::Decode(lines.back(), last) && THistory::NeverSaved(last.Change, now))
            lines.pop_back();
    }
    return lines;
}

std::string Utf8(const std::string& cp1252)
{
    return Cp1252::ToQString(cp1252).toStdString();
}

} // namespace

TPlan Plan(const TSide& ours, const TSide& theirs)
{
    TPlan plan;
    // The newest entry both hold: where the histories part. The one that
    // lost more of its oldest entries to the trim starts inside the other;
    // from there both go on line for line until they part. (The same change
    // made on both sides in the same millisecond after they parted writes
    // the same line, which marks no shared state.)
    std::unordered_map<std::string_view, size_t> ourLines;
    ourLines.reserve(ours.History.size());
    for (size_t i = ours.History.size(); i-- > 0;)
        ourLines[ours.History[i]] = i;
    size_t ourAt = ours.History.size();
    size_t theirAt = theirs.History.size();
    if (!theirs.History.empty())
        if (const auto found = ourLines.find(theirs.History.front()); found != ourLines.end()) {
            ourAt = found->second;
            theirAt = 0;
        }
    if (ourAt == ours.History.size() && !ours.History.empty())
        for (size_t j = 0; j < theirs.History.size(); ++j)
            if (theirs.History[j] == ours.History.front()) {
                ourAt = 0;
                theirAt = j;
                break;
            }
    size_t ourShared = 0;
    size_t theirShared = 0;
    while (ourAt < ours.History.size() && theirAt < theirs.History.size() &&
           ours.History[ourAt] == theirs.History[theirAt]) {
        plan.SharedHistory = true;
        ourShared = ourAt++;
        theirShared = theirAt++;
    }
    int32_t highest = 0;
    std::unordered_map<int32_t, std::optional<TItem>> ourBases;
    // The books a merge of this copy brought in already (the copy was not
    // moved aside: a kill, a folder that refused): not brought in twice.
    std::unordered_map<int32_t, TItem> broughtIn;
    std::unordered_map<int32_t, std::optional<TItem>> theirBases;
    if (plan.SharedHistory) {
        ourBases = BasesAfter(ours.History, ourShared, highest, &broughtIn);
        theirBases = BasesAfter(theirs.History, theirShared, highest);
    }
    const TBookMap ourBooks = MapOf(ours.Books);
    const TBookMap theirBooks = MapOf(theirs.Books);
    // Every number either side holds or changed, in order.
    std::vector<int32_t> ids;
    ids.reserve(ours.Books.size() + theirs.Books.size());
    for (const TItem& book : ours.Books)
        ids.push_back(book.ID);
    for (const TItem& book : theirs.Books)
        ids.push_back(book.ID);
    for (const auto* bases : {&ourBases, &theirBases})
        for (const auto& [id, base] : *bases)
            ids.push_back(id);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    if (!ids.empty())
        highest = std::max(highest, ids.back());
    plan.HighestNumber = highest;

    const auto lookup = [](const TBookMap& map, int32_t id) -> const TItem* {
        const auto found = map.find(id);
        return found == map.end() ? nullptr : found->second;
    };
    const auto baseOf = [](const std::unordered_map<int32_t, std::optional<TItem>>& bases, int32_t id,
                           const TItem* now) -> const TItem* {
        const auto found = bases.find(id);
        return found == bases.end() ? now : Ptr(found->second);
    };
    const auto wholeClash = [&plan](int32_t id, const TItem* o, const TItem* t) {
        TClash clash;
        clash.ID = id;
        if (o)
            clash.Ours = *o;
        if (t)
            clash.Theirs = *t;
        plan.Clashes.push_back(std::move(clash));
    };
    for (const int32_t id : ids) {
        const TItem* o = lookup(ourBooks, id);
        const TItem* t = lookup(theirBooks, id);
        if (!plan.SharedHistory) {
            if (!Same(o, t))
                wholeClash(id, o, t);
            continue;
        }
        const TItem* bo = baseOf(ourBases, id, o);
        const TItem* bt = baseOf(theirBases, id, t);
        if (!bo && !bt) {
            // Neither side had it at the shared entry: theirs added it, and
            // where ours did too, the same book or not, theirs gets another
            // number; unless an earlier merge of it brought it in.
            if (!t)
                continue;
            const auto before =
                std::find_if(broughtIn.begin(), broughtIn.end(), [t](const auto& m) { return Same(&m.second, t); });
            if (before != broughtIn.end())
                broughtIn.erase(before);
            else
                plan.Added.push_back(*t);
            continue;
        }
        if (Same(o, t))
            continue;
        if (!bo || !bt) {
            // The histories disagree on whether the book was there (a file
            // changed outside the program): the user sees both.
            wholeClash(id, o, t);
            continue;
        }
        if (o && t) {
            TItem merged = *o;
            for (const std::string& unit : UnitsOf({o, t, bo, bt})) {
                if (EqualIn(*o, *t, unit))
                    continue;
                const bool ourChange = !EqualIn(*o, *bo, unit);
                const bool theirChange = !EqualIn(*t, *bt, unit);
                if (ourChange && !theirChange)
                    continue;
                if (theirChange && !ourChange) {
                    CopyUnit(merged, *t, unit);
                    continue;
                }
                plan.Clashes.push_back({id, unit, *o, *t, false});
            }
            if (!Same(&merged, o))
                plan.Books.push_back({id, *o, std::move(merged)});
        } else if (o ? Same(o, bo) : Same(t, bt)) {
            // Removed on one side, left as it was on the other.
            if (o)
                plan.Books.push_back({id, *o, std::nullopt});
        } else {
            // Removed on one side, changed on the other.
            wholeClash(id, o, t);
        }
    }
    return plan;
}

std::vector<TBookChange::TBook> Settled(const TPlan& plan)
{
    std::vector<TBookChange::TBook> books = plan.Books;
    std::unordered_map<int32_t, size_t> at;
    for (size_t i = 0; i < books.size(); ++i)
        at.emplace(books[i].ID, i);
    for (const TClash& clash : plan.Clashes) {
        if (!clash.TakeTheirs)
            continue;
        auto found = at.find(clash.ID);
        if (found == at.end()) {
            found = at.emplace(clash.ID, books.size()).first;
            books.push_back({clash.ID, clash.Ours, clash.Ours});
        }
        std::optional<TItem>& after = books[found->second].After;
        if (clash.Unit.empty())
            after = clash.Theirs;
        else if (after && clash.Theirs)
            CopyUnit(*after, *clash.Theirs, clash.Unit);
        if (after)
            after->ID = clash.ID;
    }
    std::erase_if(books, [](const TBookChange::TBook& book) { return Same(Ptr(book.Before), Ptr(book.After)); });
    std::sort(books.begin(), books.end(),
              [](const TBookChange::TBook& a, const TBookChange::TBook& b) { return a.ID < b.ID; });
    return books;
}

std::vector<std::string> DifferingUnits(const TItem& a, const TItem& b)
{
    std::vector<std::string> units;
    for (const std::string& unit : UnitsOf({&a, &b}))
        if (!EqualIn(a, b, unit))
            units.push_back(unit);
    return units;
}

std::string UnitCaption(const std::string& unit)
{
    if (unit.empty())
        return "Book";
    if (unit == "loan")
        return "Loan";
    if (unit == "field8" || unit == "field9")
        return unit == "field8" ? "Field 9" : "Field 10";
    const TField* field = FieldTable::Find(unit);
    return field ? field->Caption : unit;
}

std::string UnitText(const TItem& book, const std::string& unit)
{
    if (unit.empty())
        return Utf8(book.Fields[0]) + (book.Fields[1].empty() ? "" : " / " + Utf8(book.Fields[1]));
    const TUnit* fileUnit = FileUnit(unit);
    if (!fileUnit) {
        const TField* field = FieldTable::Find(unit);
        return field ? FieldTable::Shown(*field, book.Details.Value(unit)) : book.Details.Value(unit);
    }
    std::string text;
    const auto add = [&text](const std::string& part) {
        if (part.empty())
            return;
        if (!text.empty())
            text += ", ";
        text += part;
    };
    for (const size_t f : fileUnit->Fields)
        add(Utf8(book.Fields[f]));
    for (const char* detail : fileUnit->Details)
        add(book.Details.Value(detail));
    return text;
}

TSide ReadSide(const std::string& databaseFile, const std::string& detailsFile, const std::string& historyFile,
               const TDatabase& like)
{
    const TDatabase database(databaseFile, like.Aliases(), TDatabase::TLoadOnly{});
    TSide side;
    side.Books.reserve(static_cast<size_t>(database.Count()));
    for (int32_t slot = 0; slot < database.Count(); ++slot)
        if (!database.ItemAt(slot).Deleted)
            side.Books.push_back(database.ItemAt(slot));
    if (!detailsFile.empty() && TTextFile::Exists(detailsFile)) {
        DetailsFile::TContent content = DetailsFile::Parse(TTextFile::ReadAll(detailsFile));
        if (!content.NotOurs) {
            std::unordered_map<int32_t, TDetailsRow*> rows;
            for (TDetailsRow& row : DetailsFile::RowsFor(content, database.FileHash()))
                rows.emplace(row.ID, &row);
            // A row is a book's only while the book has the title and author it was written for.
            for (TItem& book : side.Books)
                if (const auto found = rows.find(book.ID);
                    found != rows.end() && found->second->Fingerprint == DetailsFile::Fingerprint(book))
                    book.Details = std::move(found->second->Details);
        }
    }
    side.History = HistoryLines(historyFile, side.Books);
    return side;
}

TSide OurSide(const TDatabase& database)
{
    TSide side;
    side.Books.reserve(static_cast<size_t>(database.Count()));
    for (int32_t slot = 0; slot < database.Count(); ++slot)
        if (!database.ItemAt(slot).Deleted)
            side.Books.push_back(database.ItemAt(slot));
    side.History = HistoryLines(THistory::FileNameFor(database.FileName()), side.Books);
    return side;
}

namespace {

std::string NameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What the tool put into the name of a copy of original: the name without
// the original's stem before and its last extension after.
std::string MarkerOf(const TConflictCopy& copy)
{
    const std::string name = NameOf(copy.Path);
    const std::string original = NameOf(copy.Original);
    const size_t dot = original.rfind('.');
    const std::string stem = dot == std::string::npos ? original : original.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : original.substr(dot);
    if (name.size() < stem.size() + extension.size() || name.compare(0, stem.size(), stem) != 0 ||
        name.compare(name.size() - extension.size(), extension.size(), extension) != 0)
        return {};
    return name.substr(stem.size(), name.size() - stem.size() - extension.size());
}

bool SameFile(const std::string& a, const std::string& b)
{
    const QFileInfo x(Cp1252::ToQString(a));
    const QFileInfo y(Cp1252::ToQString(b));
    return x.exists() && y.exists() ? x.canonicalFilePath() == y.canonicalFilePath()
                                    : x.absoluteFilePath() == y.absoluteFilePath();
}

} // namespace

TCopyFiles FilesOf(const std::string& copy, const std::string& databaseFile, const std::vector<TConflictCopy>& found)
{
    TCopyFiles files;
    files.Database = copy;
    const auto named = std::find_if(found.begin(), found.end(), [&](const TConflictCopy& c) {
        return SameFile(c.Original, databaseFile) && SameFile(c.Path, copy);
    });
    if (named == found.end()) {
        // Found by hand: its side files beside it, where there are any.
        files.Details = TTextFile::SideFileName(copy, ".details");
        files.History = TTextFile::SideFileName(copy, ".history");
        if (!TTextFile::Exists(files.Details))
            files.Details = DetailsFile::FileNameFor(databaseFile);
        if (!TTextFile::Exists(files.History))
            files.History.clear();
        return files;
    }
    files.Aside.push_back(*named);
    const std::string marker = MarkerOf(*named);
    for (const auto& [suffix, file] : {std::pair<const char*, std::string*>{".details", &files.Details},
                                       std::pair<const char*, std::string*>{".history", &files.History}}) {
        const std::string original = TTextFile::SideFileName(databaseFile, suffix);
        const TConflictCopy* chosen = nullptr;
        for (const TConflictCopy& c : found) {
            if (!SameFile(c.Original, original) || c.Tool != named->Tool)
                continue;
            if (MarkerOf(c) == marker) {
                chosen = &c;
                break;
            }
            chosen = &c; // the newest of the tool's, unless one bears the marker
        }
        if (chosen) {
            *file = chosen->Path;
            files.Aside.push_back(*chosen);
        }
    }
    if (files.Details.empty())
        files.Details = DetailsFile::FileNameFor(databaseFile);
    return files;
}

std::vector<TCopyFiles> DatabaseCopies(const std::string& databaseFile, const std::vector<TConflictCopy>& found)
{
    std::vector<TCopyFiles> copies;
    for (const TConflictCopy& copy : found)
        if (SameFile(copy.Original, databaseFile))
            copies.push_back(FilesOf(copy.Path, databaseFile, found));
    return copies;
}

std::vector<TConflictCopy> LeftBehind(const std::string& databaseFile, const std::vector<TConflictCopy>& found)
{
    std::vector<TConflictCopy> left;
    const std::string name = NameOf(databaseFile);
    const size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    for (const TConflictCopy& copy : found) {
        if (SameFile(copy.Original, databaseFile))
            continue;
        const std::string marker = MarkerOf(copy);
        if (marker.empty())
            continue;
        const size_t slash = copy.Path.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string() : copy.Path.substr(0, slash + 1);
        if (TTextFile::Exists(folder + MergedFolderName + "/" + stem + marker + extension))
            left.push_back(copy);
    }
    return left;
}

} // namespace Merge
