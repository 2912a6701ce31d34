// What one change to the books did, as the catalogue tells it after the change
// reached the database file: which kind of command, and each book it touched
// as it was before and as the file holds it after. An added book has no
// before, a removed one no after.
#pragma once

#include "engine/Item.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Undone and Redone: an undo or a redo of one of the others, which puts
// back the books as they were before or after it. Restored: books put back
// from the history (a version restored, a removed book brought back, an
// import taken back). DetailsSet: a book's details edited; DueSet: the due
// date of a loan set, changed or cleared. Merged: a sync tool's conflict
// copy of the catalogue merged in (engine/Merge).
enum class TBookChangeKind {
    Added,
    Updated,
    Removed,
    Lent,
    Returned,
    ReplacedWhere,
    RemovedWhere,
    Imported,
    Undone,
    Redone,
    Restored,
    DetailsSet,
    DueSet,
    Merged
};

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

// The change in a few words, as menus and the history name it: "Edit",
// "Remove several (12 books)". A change of several books counts them.
std::string ChangeName(const TBookChange& change);
// The kind's name as the history file stores it ("RemovedWhere"), and back;
// false for a name that is none.
std::string KindName(TBookChangeKind kind);
bool KindFromName(const std::string& name, TBookChangeKind& kind);
