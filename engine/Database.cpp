// TDatabase: the store of book items, its database file, the single-item
// operations, and the whole-store queries and bulk changes (search, sort,
// replace, delete by value). Every check comes before any change, so an error
// leaves the store as it was; the engine catches nothing.
#include "engine/Database.h"

#include "engine/EDatabaseError.h"
#include "engine/EORBLError.h"
#include "platform/AnsiText.h"
#include "platform/Crc32.h"
#include "platform/EConvertError.h"
#include "platform/EInOutError.h"
#include "platform/IntegerConversion.h"
#include "platform/LineReader.h"
#include "platform/TextFile.h"
#include "settings/EInvalidParam.h"
#include "settings/EKELTError.h"
#include "settings/RFileSystem.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

constexpr int32_t FieldCount = 10;

// The file format has no escaping: a CR, LF or Ctrl+Z inside a text would
// shift or cut every later line, so such bytes never enter the store.
std::string Sanitized(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\x1a')
            c = ' ';
    return text;
}

TItem SanitizedItem(const TItem& item)
{
    TItem copy;
    copy.ID = item.ID;
    for (size_t f = 0; f < copy.Fields.size(); ++f)
        copy.Fields[f] = Sanitized(item.Fields[f]);
    copy.Deleted = false;
    copy.Details = item.Details;
    return copy;
}

} // namespace

TDatabase::TDatabase(TRFileSystem& settings) : TDatabase(std::as_const(settings), TLoadOnly{})
{
    // Nothing reads the count back, so reading the catalogue never depends
    // on writing it: where the settings file cannot take it now (read-only, a
    // full disk), the store holds it and its next save writes it.
    try {
        settings.WriteInteger("orbl_itemcount", ItemCount);
    } catch (const EInOutError&) {
    } catch (const EKELTError&) {
    }
}

TDatabase::TDatabase(const TRFileSystem& settings, TLoadOnly)
    : Items(std::make_unique<std::array<TItem, Capacity>>()), FFileName(settings.ReadString("orbl_databasefile"))
{
    for (int32_t i = 0; i < FieldCount; ++i)
        FAliases[static_cast<size_t>(i)] = settings.ReadString("orbl_alias" + std::to_string(i));
    LoadFromFile();
}

TDatabase::TDatabase(const std::string& fileName, const TAlias& aliases, TLoadOnly)
    : Items(std::make_unique<std::array<TItem, Capacity>>()), FAliases(aliases), FFileName(fileName)
{
    LoadFromFile();
}

void TDatabase::LoadFromFile()
{
    if (!TTextFile::Exists(FFileName))
        throw EDatabaseError("#102: File error.");
    std::string data;
    try {
        data = TTextFile::ReadAll(FFileName);
    } catch (const EFileTooLarge&) {
        throw; // says so, with the limit
    } catch (const EUnusableFile&) {
        // A FIFO, a device, a folder: no database file.
        throw EDatabaseError("#102: File error.");
    }
    // Books after a Ctrl+Z would vanish at the next save: a damaged file.
    if (TLineReader::TextAfterCtrlZ(data))
        throw EDatabaseError("#114: Database file corrupted.");
    TLineReader reader(data);

    // The items are read into the load buffer first, so a file holding more
    // items than the table has slots is refused before anything changes. The
    // buffer grows to the largest file loaded and is kept, so later loads
    // (every save reloads) reuse its texts' storage.
    std::vector<TItem>& staged = LoadBuffer;
    // Room for every item the file can hold (an item is at least eleven
    // two-byte lines), so the buffer does not move its items while it grows.
    constexpr size_t SmallestItem = 11 * 2;
    staged.reserve(std::min(static_cast<size_t>(Capacity), data.size() / SmallestItem + 1));
    int32_t loaded = 0;
    bool sawIdLine = false;
    bool emptyIdLine = false;
    bool convertFailed = false;
    std::string badIdLine;
    const bool noData = reader.AtEnd(); // 0 bytes, or a Ctrl+Z first
    // A file cut off inside a line (a copy or a sync that stopped) ends
    // without a line end; its last book then lacks lines it had.
    const std::string_view body = std::string_view(data).substr(0, data.find('\x1a'));
    const bool endsWithLineEnd = !body.empty() && body.back() == '\n';
    bool cutInsideALine = false;
    while (!reader.AtEnd()) {
        std::string idLine = reader.ReadLine();
        if (idLine.empty()) {
            // What follows an empty ID line is ignored and lost at the next
            // save; a file that still holds text there has been damaged (a
            // hand edit, a sync tool), and loading it would destroy books.
            while (!reader.AtEnd())
                if (!reader.ReadLine().empty())
                    throw EDatabaseError("#114: Database file corrupted.");
            emptyIdLine = true;
            break;
        }
        if (loaded == Capacity)
            throw EDatabaseError("#113: Too many items in the database file.");
        sawIdLine = true;
        int32_t id = 0;
        if (!IntegerConversion::TryStrToInt(idLine, id)) {
            convertFailed = true;
            badIdLine = std::move(idLine);
            break;
        }
        if (static_cast<size_t>(loaded) == staged.size())
            staged.emplace_back();
        TItem& item = staged[static_cast<size_t>(loaded++)];
        item.ID = id;
        item.Deleted = false;
        item.Details.Clear(); // the catalogue attaches them from the details file
        // Reading past the end gives empty lines: a last item that merely
        // lacks its trailing empty lines gets empty texts for them. One cut
        // inside a line is damaged: the cut text would be saved as whole.
        size_t linesLeft = item.Fields.size();
        for (std::string& field : item.Fields) {
            linesLeft -= reader.AtEnd() ? 0 : 1;
            field = reader.ReadLine();
        }
        cutInsideALine = linesLeft > 0 && !endsWithLineEnd;
    }
    if (cutInsideALine)
        throw EDatabaseError("#114: Database file corrupted.");
    // Two books of one number: every command by number would reach only the
    // first, and the other could never be changed or removed.
    std::unordered_set<int32_t> ids;
    ids.reserve(static_cast<size_t>(loaded));
    for (int32_t i = 0; i < loaded; ++i)
        if (!ids.insert(staged[static_cast<size_t>(i)].ID).second)
            throw EDatabaseError("#114: Database file corrupted.");

    // Take over what was read, as a line-by-line load would have left it: the
    // completed items in place, the slots above them untouched. The replaced
    // items go to the load buffer, whose texts the next load overwrites.
    FFileSize = static_cast<int32_t>(std::min<size_t>(data.size() / 128, INT32_MAX));
    FFileHash = Crc32::Of(data);
    std::swap_ranges(staged.begin(), staged.begin() + loaded, Items->begin());
    SlotIndexValid = false;
    if (noData)
        ItemCount = 0;
    else if (loaded > 0)
        ItemCount = loaded;
    if (sawIdLine)
        FEmpty = false;
    if (emptyIdLine)
        FEmpty = true;
    if (convertFailed)
        throw EConvertError::NotAnInteger(badIdLine);
}

std::string TDatabase::BackupFileName(const std::string& fileName)
{
    return TTextFile::SideFileName(fileName, ".bak");
}

void TDatabase::SaveToFile()
{
    SaveToFile(std::vector<int32_t>());
}

void TDatabase::SaveToFile(const std::vector<int32_t>& order)
{
    WriteContent(FileContent(order));
}

std::string TDatabase::FileContent(const std::vector<int32_t>& order) const
{
    size_t size = 0;
    for (int32_t i = 0; i < ItemCount; ++i) {
        const TItem& item = (*Items)[static_cast<size_t>(i)];
        if (item.Deleted)
            continue;
        size += 13 + 2 * FieldCount; // the longest ID and every line end
        for (const std::string& field : item.Fields)
            size += field.size();
    }
    std::string content;
    content.reserve(size);
    std::vector<bool> written(static_cast<size_t>(ItemCount), false);
    const auto write = [&](int32_t slot) {
        const TItem& item = (*Items)[static_cast<size_t>(slot)];
        if (item.Deleted || written[static_cast<size_t>(slot)])
            return;
        written[static_cast<size_t>(slot)] = true;
        content += IntegerConversion::IntToStr(item.ID);
        content += "\r\n";
        for (const std::string& field : item.Fields) {
            content += field;
            content += "\r\n";
        }
    };
    for (const int32_t id : order)
        if (const int32_t slot = FindSlot(id); slot >= 0)
            write(slot);
    for (int32_t i = 0; i < ItemCount; ++i)
        write(i);
    return content;
}

void TDatabase::WriteContent(const std::string& content)
{
    // The run's first save keeps the file as the run found it. The copy is a
    // help, not a condition: when it cannot be written the save goes ahead.
    // What became of it is told once the save's own outcome is known, so the
    // note never speaks of a save that did not happen.
    bool backupJustWritten = false;
    std::string backupProblem;
    if (BackupPending) {
        try {
            TTextFile::WriteCopyOf(BackupFileName(FFileName), BackupImage, FFileName);
            backupJustWritten = true;
        } catch (const EInOutError& error) {
            backupProblem = error.what();
        }
    }
    const std::string backupName = BackupFileName(FFileName);
    // The file is replaced only once the whole content is on disk; a failed
    // write leaves the old file and the store in memory as they were.
    try {
        TTextFile::WriteAtomically(FFileName, content);
    } catch (const EInOutError& error) {
        // On a disk with room for two copies of the file but not three, the
        // copy just written leaves no room for the new content. It equals the
        // file still on the disk, so nothing is lost by removing it.
        if (!backupJustWritten || std::string(error.what()) != "Disk full") {
            if (!backupProblem.empty())
                TellBackupProblem("The backup copy " + backupName + " could not be written (" + backupProblem +
                                  "), and the books were not saved either.");
            throw;
        }
        TTextFile::Remove(backupName);
        try {
            TTextFile::WriteAtomically(FFileName, content);
        } catch (const EInOutError&) {
            TellBackupProblem("The backup copy " + backupName +
                              " was removed to make room on the disk, and the books were not saved either.");
            throw;
        }
        TellBackupProblem("The backup copy " + backupName +
                          " was removed to make room on the disk; the books are saved without it.");
    }
    if (!backupProblem.empty())
        TellBackupProblem("The backup copy " + backupName + " could not be written (" + backupProblem +
                          "); the books are saved without it.");
    if (BackupPending) {
        BackupPending = false;
        std::string().swap(BackupImage);
    }
    // The file read back has no details: each book keeps the ones it had.
    std::vector<std::pair<int32_t, TDetails>> details;
    for (int32_t i = 0; i < ItemCount; ++i) {
        TItem& item = (*Items)[static_cast<size_t>(i)];
        if (!item.Deleted && !item.Details.Empty())
            details.emplace_back(item.ID, std::move(item.Details));
    }
    LoadFromFile();
    for (auto& [id, kept] : details)
        if (const int32_t slot = FindSlot(id); slot >= 0)
            (*Items)[static_cast<size_t>(slot)].Details = std::move(kept);
}

void TDatabase::SetDetails(int32_t slot, TDetails details)
{
    (*Items)[static_cast<size_t>(slot)].Details = std::move(details);
}

void TDatabase::TellBackupProblem(const std::string& text)
{
    if (BackupProblemTold)
        return;
    BackupProblemTold = true;
    if (OnBackupProblem)
        OnBackupProblem(text);
}

void TDatabase::EnableStartOfRunBackup()
{
    BackupImage = TTextFile::ReadAll(FFileName);
    BackupPending = true;
}

int32_t TDatabase::FindSlot(int32_t ID) const
{
    if (!SlotIndexValid) {
        SlotIndex.clear();
        SlotIndex.reserve(static_cast<size_t>(ItemCount));
        // emplace keeps the first slot of an ID.
        for (int32_t i = 0; i < ItemCount; ++i)
            SlotIndex.emplace((*Items)[static_cast<size_t>(i)].ID, i);
        SlotIndexValid = true;
    }
    const auto found = SlotIndex.find(ID);
    return found == SlotIndex.end() ? -1 : found->second;
}

bool TDatabase::ItemExists(int32_t ID) const
{
    return FindSlot(ID) >= 0;
}

int32_t TDatabase::FieldIndex(const std::string& alias) const
{
    for (int32_t i = 0; i < FieldCount; ++i)
        if (FAliases[static_cast<size_t>(i)] == alias)
            return i;
    throw EInvalidParam("#101: Supplied field was invalid or alias bad.");
}

void TDatabase::AddItem(const TItem& item)
{
    if (ItemExists(item.ID))
        throw EORBLError("#104: Item ID already exists.");
    // A loaded file may fill the last slot too; no add goes beyond 1499.
    if (ItemCount >= MaxItems)
        throw EORBLError("#103: Database full.");
    (*Items)[static_cast<size_t>(ItemCount)] = SanitizedItem(item);
    if (SlotIndexValid)
        SlotIndex.emplace(item.ID, ItemCount);
    ++ItemCount;
    FEmpty = false;
}

void TDatabase::InsertItemAt(int32_t slot, const TItem& item)
{
    AddItem(item);
    const int32_t at = std::clamp(slot, 0, ItemCount - 1);
    std::rotate(Items->begin() + at, Items->begin() + (ItemCount - 1), Items->begin() + ItemCount);
    SlotIndexValid = false;
}

void TDatabase::InsertItemsAt(const std::vector<TInsertion>& insertions)
{
    if (insertions.empty())
        return;
    // AddItem's checks, as if the items before had been added.
    std::unordered_set<int32_t> added;
    added.reserve(insertions.size());
    int32_t count = ItemCount;
    for (const TInsertion& insertion : insertions) {
        if (ItemExists(insertion.Item->ID) || !added.insert(insertion.Item->ID).second)
            throw EORBLError("#104: Item ID already exists.");
        if (count >= MaxItems)
            throw EORBLError("#103: Database full.");
        ++count;
    }
    // Where each lands: entries from 0 are the slots there now, entry -1-k
    // the k-th insertion, each put where InsertItemAt puts it.
    std::vector<int32_t> order(static_cast<size_t>(ItemCount));
    std::iota(order.begin(), order.end(), 0);
    order.reserve(static_cast<size_t>(count));
    for (size_t k = 0; k < insertions.size(); ++k) {
        const int32_t at = std::clamp(insertions[k].Slot, 0, static_cast<int32_t>(order.size()));
        order.insert(order.begin() + at, -1 - static_cast<int32_t>(k));
    }
    // Everything that can fail comes before the table changes: the new
    // items' copies and the room to arrange them in. The items there stay
    // as they are (their texts are moved, not copied).
    std::vector<TItem> fresh;
    fresh.reserve(insertions.size());
    for (const TInsertion& insertion : insertions)
        fresh.push_back(SanitizedItem(*insertion.Item));
    std::vector<TItem> arranged;
    arranged.reserve(order.size());
    for (const int32_t from : order)
        arranged.push_back(from >= 0 ? std::move((*Items)[static_cast<size_t>(from)])
                                     : std::move(fresh[static_cast<size_t>(-1 - from)]));
    std::move(arranged.begin(), arranged.end(), Items->begin());
    ItemCount = count;
    FEmpty = false;
    SlotIndexValid = false;
}

void TDatabase::UpdateItem(const TItem& item)
{
    const int32_t slot = FindSlot(item.ID);
    if (slot < 0)
        throw EORBLError("#105: Item does not exist in this database.");
    (*Items)[static_cast<size_t>(slot)] = SanitizedItem(item);
}

void TDatabase::DeleteItem(int32_t ID)
{
    const int32_t slot = FindSlot(ID);
    if (slot < 0)
        throw EORBLError("#107: Item does not exist in this database.");
    (*Items)[static_cast<size_t>(slot)].Deleted = true;
}

void TDatabase::GetItem(int32_t ID, int32_t index, TItem& item) const
{
    if (FEmpty)
        return;
    const int32_t slot = ID == -1 ? index : FindSlot(ID);
    if (ID != -1 && slot < 0)
        throw EORBLError("#108: Item does not exist in this database .");
    // A slot index outside the table (a negative one too) is refused rather
    // than read.
    if (index > Capacity - 1 || (ID == -1 && index < 0))
        throw EORBLError("#109: Parameter out of bounds.");
    item = (*Items)[static_cast<size_t>(slot)];
}

std::string TDatabase::GetField(int32_t ID, int32_t index, const std::string& alias) const
{
    const int32_t slot = ID == -1 ? index : FindSlot(ID);
    if (ID != -1 && slot < 0)
        throw EORBLError("#110: Item does not exist in this database.");
    if (index > Capacity - 1 || (ID == -1 && index < 0))
        throw EORBLError("#111: Parameter out of bounds.");
    return (*Items)[static_cast<size_t>(slot)].Fields[static_cast<size_t>(FieldIndex(alias))];
}

Searchresult TDatabase::Search(const std::string& alias, const std::string& text) const
{
    if (text.empty())
        throw EInvalidParam("#112: Searchstring must be at least 1 chars long.");
    Searchresult result;
    if (ItemCount == 0)
        return result;
    const size_t field = static_cast<size_t>(FieldIndex(alias));
    const AnsiText::TLowerTable& lower = AnsiText::LowerTable();
    std::string needle = text;
    AnsiText::LowerCaseInPlace(needle, lower);

    std::string haystack; // reused for every item
    for (int32_t i = 0; i < ItemCount; ++i) {
        const TItem& item = (*Items)[static_cast<size_t>(i)];
        const std::string& value = item.Fields[field];
        haystack.assign(value, 0, value.find('\0'));
        if (haystack.size() < needle.size())
            continue;
        AnsiText::LowerCaseInPlace(haystack, lower);
        if (haystack.find(needle) != std::string::npos)
            result.Items[static_cast<size_t>(result.ItemCount++)] = item;
    }
    return result;
}

std::vector<int32_t> TDatabase::UnmarkedSlots() const
{
    std::vector<int32_t> unmarked;
    unmarked.reserve(static_cast<size_t>(ItemCount));
    for (int32_t i = 0; i < ItemCount; ++i)
        if (!(*Items)[static_cast<size_t>(i)].Deleted)
            unmarked.push_back(i);
    return unmarked;
}

std::vector<std::string_view> TDatabase::FieldTexts(const std::vector<int32_t>& itemSlots, size_t field) const
{
    std::vector<std::string_view> texts;
    texts.reserve(itemSlots.size());
    for (int32_t slot : itemSlots)
        texts.push_back((*Items)[static_cast<size_t>(slot)].Fields[field]);
    return texts;
}

std::vector<int32_t> TDatabase::CollatedOrder(const std::vector<std::string_view>& texts)
{
    const std::vector<QCollatorSortKey> keys = AnsiText::CollationKeys(texts);
    // Stable, so texts the collation finds equal (Smith and SMITH) come in
    // the order they first appear in the store.
    std::vector<int32_t> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](int32_t a, int32_t b) {
        return keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]) < 0;
    });
    return order;
}

void TDatabase::PrepareSortBy(const std::string& alias)
{
    Prepared.reset();
    if (ItemCount == 0)
        return;
    auto prepared = std::make_unique<TPreparedOrder>();
    prepared->Field = static_cast<size_t>(FieldIndex(alias));
    prepared->Locale = AnsiText::CollationLocale();
    const std::vector<std::string_view> texts = FieldTexts(UnmarkedSlots(), prepared->Field);
    prepared->Texts.assign(texts.begin(), texts.end());
    prepared->Order = CollatedOrder(texts);
    Prepared = std::move(prepared);
}

// The prepared order, once, when it was made for these texts of this field
// in the locale in force now; none otherwise.
std::vector<int32_t> TDatabase::TakePreparedOrder(size_t field, const std::vector<std::string_view>& texts)
{
    const std::unique_ptr<TPreparedOrder> prepared = std::move(Prepared);
    if (!prepared || prepared->Field != field || prepared->Texts.size() != texts.size() ||
        !std::equal(texts.begin(), texts.end(), prepared->Texts.begin()) ||
        prepared->Locale != AnsiText::CollationLocale())
        return {};
    return std::move(prepared->Order);
}

void TDatabase::Rearrange(const std::vector<int32_t>& source)
{
    std::array<TItem, Capacity>& items = *Items;
    SlotIndexValid = false;
    // Moved into place cycle by cycle: each item moves once (its texts are
    // not copied), and one per cycle waits aside.
    std::vector<bool> done(source.size(), false);
    for (size_t start = 0; start < source.size(); ++start) {
        if (done[start] || source[start] == static_cast<int32_t>(start))
            continue;
        TItem aside = std::move(items[start]);
        size_t to = start;
        for (;;) {
            done[to] = true;
            const auto from = static_cast<size_t>(source[to]);
            if (from == start) {
                items[to] = std::move(aside);
                break;
            }
            items[to] = std::move(items[from]);
            to = from;
        }
    }
}

std::vector<int32_t> TDatabase::Order() const
{
    std::vector<int32_t> ids;
    ids.reserve(static_cast<size_t>(ItemCount));
    for (int32_t i = 0; i < ItemCount; ++i)
        if (!(*Items)[static_cast<size_t>(i)].Deleted)
            ids.push_back((*Items)[static_cast<size_t>(i)].ID);
    return ids;
}

void TDatabase::ArrangeAs(const std::vector<int32_t>& order)
{
    std::vector<int32_t> source;
    source.reserve(static_cast<size_t>(ItemCount));
    std::vector<bool> placed(static_cast<size_t>(ItemCount), false);
    for (const int32_t id : order)
        if (const int32_t slot = FindSlot(id); slot >= 0 && !placed[static_cast<size_t>(slot)]) {
            placed[static_cast<size_t>(slot)] = true;
            source.push_back(slot);
        }
    for (int32_t i = 0; i < ItemCount; ++i)
        if (!placed[static_cast<size_t>(i)])
            source.push_back(i);
    Rearrange(source);
}

void TDatabase::SortBy(const std::string& alias)
{
    if (ItemCount == 0)
        return;
    const size_t field = static_cast<size_t>(FieldIndex(alias));
    std::array<TItem, Capacity>& items = *Items;
    SlotIndexValid = false;

    // Marked items take no part in the order; they follow the sorted ones.
    const std::vector<int32_t> unmarked = UnmarkedSlots();
    const std::vector<std::string_view> texts = FieldTexts(unmarked, field);
    std::vector<int32_t> order = TakePreparedOrder(field, texts);
    if (order.size() != texts.size())
        order = CollatedOrder(texts);

    // Items with byte-equal texts form one group, kept in slot order; the
    // first sorted entry of a text places its whole group.
    std::unordered_map<std::string_view, int32_t> groupOf;
    groupOf.reserve(unmarked.size());
    std::vector<int32_t> groupFirst, groupLast, next(unmarked.size(), -1), entryGroup(unmarked.size());
    for (size_t k = 0; k < unmarked.size(); ++k) {
        const auto [it, added] = groupOf.try_emplace(texts[k], static_cast<int32_t>(groupFirst.size()));
        const int32_t group = it->second;
        if (added) {
            groupFirst.push_back(static_cast<int32_t>(k));
            groupLast.push_back(static_cast<int32_t>(k));
        } else {
            next[static_cast<size_t>(groupLast[static_cast<size_t>(group)])] = static_cast<int32_t>(k);
            groupLast[static_cast<size_t>(group)] = static_cast<int32_t>(k);
        }
        entryGroup[k] = group;
    }

    // The slot each position takes its item from: the groups in sorted
    // order, then the marked items in slot order.
    std::vector<int32_t> source;
    source.reserve(static_cast<size_t>(ItemCount));
    std::vector<bool> groupPlaced(groupFirst.size(), false);
    for (int32_t entry : order) {
        const int32_t group = entryGroup[static_cast<size_t>(entry)];
        if (groupPlaced[static_cast<size_t>(group)])
            continue;
        groupPlaced[static_cast<size_t>(group)] = true;
        for (int32_t k = groupFirst[static_cast<size_t>(group)]; k >= 0; k = next[static_cast<size_t>(k)])
            source.push_back(unmarked[static_cast<size_t>(k)]);
    }
    for (int32_t i = 0; i < ItemCount; ++i)
        if (items[static_cast<size_t>(i)].Deleted)
            source.push_back(i);

    Rearrange(source);
}

void TDatabase::ReplaceFieldValue(const std::string& alias, const std::string& oldValue, const std::string& newValue)
{
    if (ItemCount == 0)
        return;
    const size_t field = static_cast<size_t>(FieldIndex(alias));
    const std::string value = Sanitized(newValue);
    for (int32_t i = 0; i < ItemCount; ++i) {
        std::string& text = (*Items)[static_cast<size_t>(i)].Fields[field];
        if (text == oldValue)
            text = value;
    }
}

void TDatabase::DeleteWhere(const std::string& alias, const std::string& value)
{
    if (ItemCount == 0)
        return;
    const size_t field = static_cast<size_t>(FieldIndex(alias));
    for (int32_t i = 0; i < ItemCount; ++i) {
        TItem& item = (*Items)[static_cast<size_t>(i)];
        if (item.Fields[field] == value)
            item.Deleted = true;
    }
}
