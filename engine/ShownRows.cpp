#include "engine/ShownRows.h"

#include "engine/BookFilter.h"
#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "engine/FieldTable.h"
#include "platform/AnsiText.h"
#include "platform/EBaseError.h"

#include <algorithm>
#include <numeric>
#include <string_view>

TShownRows::TShownRows(const TCatalogue& catalogue) : Catalogue(catalogue)
{
    connect(&catalogue, &TCatalogue::BooksChanged, this, &TShownRows::FillAgain);
    // A sort of the catalogue lists its order: a detail no longer orders the rows.
    connect(&catalogue, &TCatalogue::Reordered, this, [this] {
        SortKey.clear();
        FillAgain();
    });
}

void TShownRows::FillAll()
{
    const TDatabase& database = Catalogue.Database();
    Source = TSource::Whole;
    Words.clear();
    Found.clear();
    Slots.clear();
    FCount = std::min(database.Count(), Capacity);
    for (int32_t r = 0; r < FCount; ++r)
        FRowIds[static_cast<size_t>(r)] = database.Empty() ? 0 : database.ItemAt(r).ID;
    if (FCount == 0)
        FRowIds[0] = 0;
    Refill();
}

void TShownRows::FillWith(const Searchresult& result)
{
    Source = TSource::Found;
    Words.clear();
    Slots.clear();
    // The bound only keeps a broken count from overrunning the table.
    FCount = std::clamp(result.ItemCount, 0, Capacity);
    Found.assign(result.Items.begin(), result.Items.begin() + FCount);
    for (int32_t r = 0; r < FCount; ++r)
        FRowIds[static_cast<size_t>(r)] = Found[static_cast<size_t>(r)].ID;
    if (FCount == 0)
        FRowIds[0] = 0;
    Refill();
}

void TShownRows::FillMatching(const std::string& words)
{
    FillMatching(words, {});
}

void TShownRows::FillMatching(const std::string& words, const std::string& typed)
{
    const TBookFilter filter(words, typed);
    if (filter.MatchesAll()) {
        FillAll();
        return;
    }
    const TDatabase& database = Catalogue.Database();
    Source = TSource::Matching;
    Words = words;
    Typed = typed;
    Found.clear();
    Slots.clear();
    // A database marked empty holds no book to match.
    const int32_t count = database.Empty() ? 0 : std::min(database.Count(), Capacity);
    for (int32_t slot = 0; slot < count; ++slot)
        if (filter.Matches(database.ItemAt(slot)))
            Slots.push_back(slot);
    FCount = static_cast<int32_t>(Slots.size());
    for (int32_t r = 0; r < FCount; ++r)
        FRowIds[static_cast<size_t>(r)] = database.ItemAt(Slots[static_cast<size_t>(r)]).ID;
    if (FCount == 0)
        FRowIds[0] = 0;
    Refill();
}

void TShownRows::FillAgain()
{
    if (Source == TSource::Matching)
        FillMatching(Words, Typed);
    else
        FillAll();
}

void TShownRows::Refill()
{
    SortRows();
    FCurrent = 0;
    emit Refilled();
}

int32_t TShownRows::IdAt(int32_t row) const
{
    if (row < 0 || row >= Capacity)
        throw EBaseError("Grid index out of range");
    return FRowIds[static_cast<size_t>(row)];
}

int32_t TShownRows::RowOf(int32_t id) const
{
    for (int32_t r = 0; r < FCount; ++r)
        if (FRowIds[static_cast<size_t>(r)] == id)
            return r;
    return -1;
}

const TItem& TShownRows::ItemAt(int32_t row) const
{
    static const TItem none{};
    if (row < 0 || row >= FCount)
        return none;
    if (!Order.empty())
        row = Order[static_cast<size_t>(row)];
    if (Source == TSource::Found)
        return Found[static_cast<size_t>(row)];
    const TDatabase& database = Catalogue.Database();
    if (database.Empty())
        return none;
    return database.ItemAt(Source == TSource::Matching ? Slots[static_cast<size_t>(row)] : row);
}

void TShownRows::Select(int32_t row)
{
    if (row < 0 || row >= RowCount())
        throw EBaseError("Grid index out of range");
    FCurrent = row;
    emit CurrentChanged(row);
}

void TShownRows::SortByDetail(const std::string& key)
{
    SortKey = key;
    FillAgain();
}

void TShownRows::SortRows()
{
    Order.clear();
    const TField* field = SortKey.empty() ? nullptr : FieldTable::Find(SortKey);
    if (!field || !field->IsDetail() || FCount < 2)
        return;
    const auto count = static_cast<size_t>(FCount);
    const TField* then = FieldTable::Find(field->ThenBy);
    std::vector<std::string> values(count);
    std::vector<std::string> thenValues(then ? count : 0);
    for (size_t r = 0; r < count; ++r) {
        const TDetails& details = ItemAt(static_cast<int32_t>(r)).Details;
        values[r] = FieldTable::Shown(*field, details.Value(SortKey));
        if (then)
            thenValues[r] = details.Value(then->Key);
    }
    // Numbers, ratings and dates by value, pictures by whether there is
    // one, other texts as the locale collates them; an empty value last.
    const bool byValue = field->Kind == TFieldKind::Number || field->Kind == TFieldKind::Rating ||
                         field->Kind == TFieldKind::Date || field->Kind == TFieldKind::Image;
    const std::vector<QCollatorSortKey> keys =
        byValue ? std::vector<QCollatorSortKey>()
                : AnsiText::CollationKeysOfUtf8(std::vector<std::string_view>(values.begin(), values.end()));
    const auto compare = [&](size_t a, size_t b) {
        if (byValue || values[a].empty() || values[b].empty())
            return FieldTable::CompareValues(*field, values[a], values[b]);
        return keys[a].compare(keys[b]);
    };
    std::vector<int32_t> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        int by = compare(size_t(a), size_t(b));
        if (by == 0 && then)
            by = FieldTable::CompareValues(*then, thenValues[size_t(a)], thenValues[size_t(b)]);
        return by < 0;
    });
    std::vector<int32_t> ids(count);
    for (size_t r = 0; r < count; ++r)
        ids[r] = FRowIds[static_cast<size_t>(order[r])];
    std::copy(ids.begin(), ids.end(), FRowIds.begin());
    Order = std::move(order);
}
