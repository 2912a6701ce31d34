#include "lookup/IsbnIndex.h"

#include "engine/BookChange.h"
#include "engine/Database.h"

#include <algorithm>

namespace {

const char* const IsbnKey = "isbn";

} // namespace

void TIsbnIndex::Rebuild(const TDatabase& database)
{
    FBooks.clear();
    FCount = 0;
    // A database marked empty holds a blank book only.
    if (database.Empty())
        return;
    for (int32_t slot = 0; slot < database.Count(); ++slot) {
        const TItem& item = database.ItemAt(slot);
        if (!item.Deleted)
            Add(item.Details.Value(IsbnKey), item.ID);
    }
}

void TIsbnIndex::Apply(const TBookChange& change)
{
    for (const TBookChange::TBook& book : change.Books) {
        if (book.Before && !book.Before->Deleted)
            Remove(book.Before->Details.Value(IsbnKey), book.ID);
        if (book.After && !book.After->Deleted)
            Add(book.After->Details.Value(IsbnKey), book.ID);
    }
}

std::vector<int32_t> TIsbnIndex::Find(const std::string& isbn13) const
{
    const auto it = FBooks.find(isbn13);
    return it == FBooks.end() ? std::vector<int32_t>() : it->second;
}

void TIsbnIndex::Add(const std::string& isbn, int32_t id)
{
    if (isbn.empty())
        return;
    std::vector<int32_t>& ids = FBooks[isbn];
    const auto at = std::lower_bound(ids.begin(), ids.end(), id);
    if (at != ids.end() && *at == id)
        return;
    ids.insert(at, id);
    ++FCount;
}

void TIsbnIndex::Remove(const std::string& isbn, int32_t id)
{
    const auto it = FBooks.find(isbn);
    if (it == FBooks.end())
        return;
    std::vector<int32_t>& ids = it->second;
    const auto at = std::lower_bound(ids.begin(), ids.end(), id);
    if (at == ids.end() || *at != id)
        return;
    ids.erase(at);
    --FCount;
    if (ids.empty())
        FBooks.erase(it);
}
