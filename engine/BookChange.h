// What one change to the books did, as the catalogue tells it after the change
// reached the database file: which kind of command, and each book it touched
// as it was before and as the file holds it after. An added book has no
// before, a removed one no after.
#pragma once

#include "engine/Item.h"

#include <cstdint>
#include <optional>
#include <vector>

enum class TBookChangeKind { Added, Updated, Removed, Lent, Returned, ReplacedWhere, RemovedWhere, Imported };

struct TBookChange {
    struct TBook {
        int32_t ID = 0;
        std::optional<TItem> Before;
        std::optional<TItem> After;
    };

    TBookChangeKind Kind = TBookChangeKind::Updated;
    std::vector<TBook> Books;

    std::vector<int32_t> Ids() const
    {
        std::vector<int32_t> ids;
        ids.reserve(Books.size());
        for (const TBook& book : Books)
            ids.push_back(book.ID);
        return ids;
    }
};
