#include "engine/ShownRows.h"

#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "platform/EBaseError.h"

#include <algorithm>

TShownRows::TShownRows(const TCatalogue& catalogue) : Catalogue(catalogue)
{
    connect(&catalogue, &TCatalogue::BooksChanged, this, &TShownRows::FillAll);
    connect(&catalogue, &TCatalogue::Reordered, this, &TShownRows::FillAll);
}

void TShownRows::FillAll()
{
    const TDatabase& database = Catalogue.Database();
    WholeList = true;
    Found.clear();
    FCount = std::min(database.Count(), Capacity);
    for (int32_t r = 0; r < FCount; ++r)
        FRowIds[static_cast<size_t>(r)] = database.Empty() ? 0 : database.ItemAt(r).ID;
    if (FCount == 0)
        FRowIds[0] = 0;
    Refill();
}

void TShownRows::FillWith(const Searchresult& result)
{
    WholeList = false;
    // The bound only keeps a broken count from overrunning the table.
    FCount = std::clamp(result.ItemCount, 0, Capacity);
    Found.assign(result.Items.begin(), result.Items.begin() + FCount);
    for (int32_t r = 0; r < FCount; ++r)
        FRowIds[static_cast<size_t>(r)] = Found[static_cast<size_t>(r)].ID;
    if (FCount == 0)
        FRowIds[0] = 0;
    Refill();
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
    if (!WholeList)
        return Found[static_cast<size_t>(row)];
    const TDatabase& database = Catalogue.Database();
    return database.Empty() ? none : database.ItemAt(row);
}

void TShownRows::Select(int32_t row)
{
    if (row < 0 || row >= RowCount())
        throw EBaseError("Grid index out of range");
    FCurrent = row;
    emit CurrentChanged(row);
}
