#include "engine/ShownRows.h"

#include "engine/BookFilter.h"
#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "platform/EBaseError.h"

#include <algorithm>

TShownRows::TShownRows(const TCatalogue& catalogue) : Catalogue(catalogue)
{
    connect(&catalogue, &TCatalogue::BooksChanged, this, &TShownRows::FillAgain);
    connect(&catalogue, &TCatalogue::Reordered, this, &TShownRows::FillAgain);
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
    const TBookFilter filter(words);
    if (filter.MatchesAll()) {
        FillAll();
        return;
    }
    const TDatabase& database = Catalogue.Database();
    Source = TSource::Matching;
    Words = words;
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
        FillMatching(Words);
    else
        FillAll();
}

void TShownRows::Refill()
{
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
