// The reference model of the book database engine (see DatabaseModel.h).
// Deliberately naive: linear scans, copies, a quadratic sort check. It only
// has to be obviously right.
#include "tests/reliability/DatabaseModel.h"

#include <algorithm>

#include "platform/Cp1252.h"

#include <QCollator>
#include <QLocale>

#include <map>

namespace {

const std::string BadAlias = "#101: Supplied field was invalid or alias bad.";

TOutcome Orbl(const char* message)
{
    return {"EORBLError", message};
}

TOutcome InvalidAlias()
{
    return {"EInvalidParam", BadAlias};
}

unsigned char LowerByte(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    // A grave to THORN, less the multiplication sign.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 32);
    switch (c) {
    case 0x8A: // S caron
    case 0x8C: // OE
    case 0x8E: // Z caron
        return static_cast<unsigned char>(c + 16);
    case 0x9F: // Y diaeresis
        return 0xFF;
    default:
        return c;
    }
}

} // namespace

bool SameItem(const TItem& a, const TItem& b)
{
    return a.ID == b.ID && a.Fields == b.Fields && a.Deleted == b.Deleted;
}

std::string Describe(const TItem& item)
{
    // append, not "{" + std::to_string(...): GCC 12 at -O3 reports a false
    // -Wrestrict inside std::string's operator+ that inserts into a temporary.
    std::string text = std::string("{").append(std::to_string(item.ID)).append(item.Deleted ? " deleted" : "");
    for (const std::string& field : item.Fields)
        text += ", " + Quoted(field);
    return text + "}";
}

TDatabaseModel::TDatabaseModel(const TAlias& aliases) : Table(Slots), AliasNames(aliases) {}

std::string TDatabaseModel::Lower(const std::string& text)
{
    std::string lowered = text;
    for (char& c : lowered)
        c = static_cast<char>(LowerByte(static_cast<unsigned char>(c)));
    return lowered;
}

std::string TDatabaseModel::Cleaned(const std::string& text)
{
    std::string cleaned = text;
    for (char& c : cleaned)
        if (c == '\r' || c == '\n' || c == 26)
            c = ' ';
    return cleaned;
}

int32_t TDatabaseModel::FirstSlot(int32_t id) const
{
    for (int32_t i = 0; i < ItemCount; ++i)
        if (Slot(i).ID == id)
            return i;
    return -1;
}

bool TDatabaseModel::Exists(int32_t id) const
{
    return FirstSlot(id) >= 0;
}

int32_t TDatabaseModel::FieldOf(const std::string& alias) const
{
    for (int32_t f = 0; f < 10; ++f)
        if (AliasNames[static_cast<size_t>(f)] == alias)
            return f;
    return -1;
}

TOutcome TDatabaseModel::Add(const TItem& item)
{
    if (Exists(item.ID))
        return Orbl("#104: Item ID already exists.");
    if (ItemCount >= AddLimit)
        return Orbl("#103: Database full.");
    TItem& slot = Table[static_cast<size_t>(ItemCount)];
    slot.ID = item.ID;
    for (size_t f = 0; f < 10; ++f)
        slot.Fields[f] = Cleaned(item.Fields[f]);
    slot.Deleted = false;
    ++ItemCount;
    EmptyMark = false;
    return NoError();
}

TOutcome TDatabaseModel::Update(const TItem& item)
{
    const int32_t i = FirstSlot(item.ID);
    if (i < 0)
        return Orbl("#105: Item does not exist in this database.");
    TItem& slot = Table[static_cast<size_t>(i)];
    for (size_t f = 0; f < 10; ++f)
        slot.Fields[f] = Cleaned(item.Fields[f]);
    slot.Deleted = false;
    return NoError();
}

TOutcome TDatabaseModel::Delete(int32_t id)
{
    const int32_t i = FirstSlot(id);
    if (i < 0)
        return Orbl("#107: Item does not exist in this database.");
    Table[static_cast<size_t>(i)].Deleted = true;
    return NoError();
}

TOutcome TDatabaseModel::DeleteWhere(const std::string& alias, const std::string& value)
{
    if (ItemCount == 0)
        return NoError();
    const int32_t f = FieldOf(alias);
    if (f < 0)
        return InvalidAlias();
    for (int32_t i = 0; i < ItemCount; ++i)
        if (Slot(i).Fields[static_cast<size_t>(f)] == value)
            Table[static_cast<size_t>(i)].Deleted = true;
    return NoError();
}

TOutcome TDatabaseModel::Replace(const std::string& alias, const std::string& oldValue, const std::string& newValue)
{
    if (ItemCount == 0)
        return NoError();
    const int32_t f = FieldOf(alias);
    if (f < 0)
        return InvalidAlias();
    for (int32_t i = 0; i < ItemCount; ++i) {
        std::string& text = Table[static_cast<size_t>(i)].Fields[static_cast<size_t>(f)];
        if (text == oldValue)
            text = Cleaned(newValue);
    }
    return NoError();
}

TOutcome TDatabaseModel::Search(const std::string& alias, const std::string& text, std::vector<TItem>& found) const
{
    found.clear();
    if (text.empty())
        return {"EInvalidParam", "#112: Searchstring must be at least 1 chars long."};
    if (ItemCount == 0)
        return NoError();
    const int32_t f = FieldOf(alias);
    if (f < 0)
        return InvalidAlias();
    const std::string needle = Lower(text);
    for (int32_t i = 0; i < ItemCount; ++i) {
        std::string field = Slot(i).Fields[static_cast<size_t>(f)];
        const size_t nul = field.find('\0');
        if (nul != std::string::npos)
            field.resize(nul);
        if (Lower(field).find(needle) != std::string::npos)
            found.push_back(Slot(i));
    }
    return NoError();
}

TOutcome TDatabaseModel::GetItem(int32_t id, int32_t index, TItem& item) const
{
    if (EmptyMark)
        return NoError();
    if (id != -1 && !Exists(id))
        return Orbl("#108: Item does not exist in this database .");
    // Negative slot indexes are refused like those past the table.
    if (index > Slots - 1 || (id == -1 && index < 0))
        return Orbl("#109: Parameter out of bounds.");
    item = id == -1 ? Slot(index) : Slot(FirstSlot(id));
    return NoError();
}

TOutcome TDatabaseModel::GetField(int32_t id, int32_t index, const std::string& alias, std::string& text) const
{
    if (id != -1 && !Exists(id))
        return Orbl("#110: Item does not exist in this database.");
    if (index > Slots - 1 || (id == -1 && index < 0))
        return Orbl("#111: Parameter out of bounds.");
    const int32_t f = FieldOf(alias);
    if (f < 0)
        return InvalidAlias();
    text = (id == -1 ? Slot(index) : Slot(FirstSlot(id))).Fields[static_cast<size_t>(f)];
    return NoError();
}

TOutcome TDatabaseModel::SortOutcome(const std::string& alias) const
{
    if (ItemCount > 0 && FieldOf(alias) < 0)
        return InvalidAlias();
    return NoError();
}

std::string TDatabaseModel::CheckSort(const std::string& alias, const std::vector<TItem>& sorted)
{
    if (ItemCount == 0)
        return sorted.empty() ? std::string() : "items appeared in an empty store";
    if (static_cast<int32_t>(sorted.size()) != ItemCount)
        return "the count changed";
    const size_t f = static_cast<size_t>(FieldOf(alias));
    // The unmarked items of each text, in slot order; the marked ones apart.
    std::map<std::string, std::vector<int32_t>> runs;
    std::vector<int32_t> marked;
    size_t unmarked = 0;
    for (int32_t i = 0; i < ItemCount; ++i) {
        if (Slot(i).Deleted) {
            marked.push_back(i);
        } else {
            runs[Slot(i).Fields[f]].push_back(i);
            ++unmarked;
        }
    }

    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);

    // The unmarked items first: runs of byte-equal texts, each run all the
    // items of that text in their former order, the runs in collation order.
    size_t at = 0;
    QCollatorSortKey previous = collator.sortKey(QString());
    while (at < unmarked) {
        const std::string& text = sorted[at].Fields[f];
        const auto run = runs.find(text);
        if (run == runs.end())
            return "slot " + std::to_string(at) + " holds " + Describe(sorted[at]) +
                   ", whose text no other unmarked item had or whose run came earlier";
        // Ordered by the platform's sort keys: QCollator::compare puts an empty
        // text before every other, even one made only of characters that the
        // collation ignores (a NUL), while the keys find the two equal.
        QCollatorSortKey key = collator.sortKey(Cp1252::ToQString(text));
        if (at > 0 && previous.compare(key) > 0)
            return "out of order at slot " + std::to_string(at) + ": " + Quoted(sorted[at - 1].Fields[f]) + " before " +
                   Quoted(text);
        for (int32_t i : run->second) {
            if (at >= unmarked || !SameItem(sorted[at], Slot(i)))
                return "slot " + std::to_string(at) + " holds " + Describe(sorted[at]) + ", expected " +
                       Describe(Slot(i));
            ++at;
        }
        runs.erase(run);
        previous = std::move(key);
    }
    // Then the marked items, still marked, in their former order.
    for (int32_t i : marked) {
        if (!SameItem(sorted[at], Slot(i)))
            return "marked item at slot " + std::to_string(at) + " is " + Describe(sorted[at]) + ", expected " +
                   Describe(Slot(i));
        ++at;
    }
    for (size_t i = 0; i < sorted.size(); ++i)
        Table[i] = sorted[i];
    return {};
}

std::string TDatabaseModel::FileContent() const
{
    std::string bytes;
    for (int32_t i = 0; i < ItemCount; ++i) {
        const TItem& item = Slot(i);
        if (item.Deleted)
            continue;
        bytes += std::to_string(item.ID) + "\r\n";
        for (const std::string& field : item.Fields)
            bytes += field + "\r\n";
    }
    return bytes;
}

void TDatabaseModel::Saved()
{
    TFileLoad file;
    for (int32_t i = 0; i < ItemCount; ++i)
        if (!Slot(i).Deleted)
            file.Items.push_back(Slot(i));
    file.Bytes = FileContent().size();
    file.NoData = file.Items.empty();
    Loaded(file);
}

TOutcome TDatabaseModel::Loaded(const TFileLoad& file)
{
    if (file.TooMany)
        return {"EDatabaseError", "#113: Too many items in the database file."};
    std::vector<int32_t> ids;
    for (const TItem& item : file.Items)
        ids.push_back(item.ID);
    std::sort(ids.begin(), ids.end());
    const bool twoOfOneId = std::adjacent_find(ids.begin(), ids.end()) != ids.end();
    if (file.TextAfterEmptyIdLine || file.CutInsideALine || twoOfOneId)
        return {"EDatabaseError", "#114: Database file corrupted."};
    Blocks = static_cast<int32_t>(file.Bytes / 128);
    if (file.NoData) {
        ItemCount = 0;
        return NoError();
    }
    // Slots above the items read keep what they held.
    for (size_t i = 0; i < file.Items.size(); ++i) {
        Table[i] = file.Items[i];
        Table[i].Deleted = false;
    }
    if (!file.Items.empty())
        ItemCount = static_cast<int32_t>(file.Items.size());
    if (!file.Items.empty() || file.BadIdLine)
        EmptyMark = false;
    if (file.EmptyIdLine)
        EmptyMark = true;
    if (file.BadIdLine)
        return {"EConvertError", NotAnIntegerMessage(file.BadLine)};
    return NoError();
}
