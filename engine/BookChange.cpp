#include "engine/BookChange.h"

#include <array>
#include <utility>

namespace {

struct TKindNames {
    TBookChangeKind Kind;
    const char* Stored; // in the history file; never changes
    const char* Shown;  // in menus and the History window
};

constexpr std::array<TKindNames, 14> Kinds = {{
    {TBookChangeKind::Added, "Added", "Add"},
    {TBookChangeKind::Updated, "Updated", "Edit"},
    {TBookChangeKind::Removed, "Removed", "Remove"},
    {TBookChangeKind::Lent, "Lent", "Loan"},
    {TBookChangeKind::Returned, "Returned", "Return"},
    {TBookChangeKind::ReplacedWhere, "ReplacedWhere", "Edit several"},
    {TBookChangeKind::RemovedWhere, "RemovedWhere", "Remove several"},
    {TBookChangeKind::Imported, "Imported", "Import"},
    {TBookChangeKind::Undone, "Undone", "Undo"},
    {TBookChangeKind::Redone, "Redone", "Redo"},
    {TBookChangeKind::Restored, "Restored", "Restore"},
    {TBookChangeKind::DetailsSet, "DetailsSet", "Edit details"},
    {TBookChangeKind::DueSet, "DueSet", "Due date"},
    {TBookChangeKind::Merged, "Merged", "Merge"},
}};

const TKindNames& NamesOf(TBookChangeKind kind)
{
    for (const TKindNames& names : Kinds)
        if (names.Kind == kind)
            return names;
    return Kinds[1];
}

} // namespace

std::string ChangeName(const TBookChange& change)
{
    std::string name = NamesOf(change.Kind).Shown;
    const bool several = change.Kind == TBookChangeKind::ReplacedWhere ||
                         change.Kind == TBookChangeKind::RemovedWhere || change.Kind == TBookChangeKind::Imported ||
                         change.Books.size() != 1;
    if (several)
        name += " (" + std::to_string(change.Books.size()) + (change.Books.size() == 1 ? " book)" : " books)");
    return name;
}

std::string KindName(TBookChangeKind kind)
{
    return NamesOf(kind).Stored;
}

bool KindFromName(const std::string& name, TBookChangeKind& kind)
{
    for (const TKindNames& names : Kinds)
        if (name == names.Stored) {
            kind = names.Kind;
            return true;
        }
    return false;
}
