// Merge: two copies of one catalogue that went apart (a sync tool kept one
// file and renamed the other as its conflict copy) brought together book by
// book, three-way, without losing what either side did.
//
// The base is the last state both sides share: the newest history entry both
// histories hold (the same CRC-checked line in each). Each side's version of
// a book at that entry is the book as the side holds it now, taken back over
// the side's own entries after it (the Before of the first of them that
// changed the book). Against that base a book is merged unit by unit: each of
// the database file's texts (the loaner, the loan date and the due date as
// one unit, the loan; the title and the author with their own letters), and
// each other detail. A unit changed on one side only takes that side's value;
// changed on both sides to different values, or different where neither side
// changed it (the two bases disagree), it is a clash the user settles. A book
// removed on one side is removed where the other side left it as it was, and
// a clash where the other side changed it. Books the other side added come in
// under new numbers, which the catalogue gives out (TCatalogue::Merge).
// Without an entry both histories hold, every book that differs is a clash of
// the whole book: the user is offered the two versions side by side.
//
// Pure: Plan reads nothing; ReadSide and OurSide read the files.
#pragma once

#include "engine/BookChange.h"
#include "engine/ConflictCopies.h"
#include "engine/Item.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TDatabase;

namespace Merge {

// One copy of the catalogue: its books with their details, and its history's
// whole lines (without CR LF), oldest first.
struct TSide {
    std::vector<TItem> Books;
    std::vector<std::string> History;
};

// A unit of a book both sides changed differently, or a whole book (Unit
// empty) where one side removed what the other changed, or no history is
// shared. Ours and Theirs: the book as each side holds it (nullopt: not there).
struct TClash {
    int32_t ID = 0;
    std::string Unit;
    std::optional<TItem> Ours;
    std::optional<TItem> Theirs;
    bool TakeTheirs = false; // the user's choice; ours unless chosen
};

struct TPlan {
    bool SharedHistory = false;
    // Each book of ours the merge changes, removes or brings in under its own
    // number: Before as ours holds it, After as merged, every clash as ours has it.
    std::vector<TBookChange::TBook> Books;
    // The books the other side added, to come in under new numbers.
    std::vector<TItem> Added;
    std::vector<TClash> Clashes;
    // The largest number either side holds or either history names: the
    // numbers of the books added come after it.
    int32_t HighestNumber = 0;
    // Whether there is nothing to do: no change, no book to add, no clash.
    bool Empty() const { return Books.empty() && Added.empty() && Clashes.empty(); }
};

TPlan Plan(const TSide& ours, const TSide& theirs);

// The books of the plan with every clash settled as chosen: Before as ours
// holds the book, After as merged; the books that come out unchanged left out.
std::vector<TBookChange::TBook> Settled(const TPlan& plan);

// The units in which two versions of a book differ ("title", "loan", a
// detail's key); a book that is not there differs in none: see the caller.
std::vector<std::string> DifferingUnits(const TItem& a, const TItem& b);
// A unit as the user reads it: the field's caption ("Publisher"), "Loan", or
// "Book" for the whole book.
std::string UnitCaption(const std::string& unit);
// A unit's value in a book as one line of text (UTF-8; the loan's parts
// joined by commas), for a list of clashes.
std::string UnitText(const TItem& book, const std::string& unit);

// A copy of the catalogue read from its files: the database file (read with
// the catalogue's aliases, never written), the details file's rows attached
// to the books whose fingerprint they carry, the history file's whole lines.
// A details or history file that is missing or empty gives none.
TSide ReadSide(const std::string& databaseFile, const std::string& detailsFile, const std::string& historyFile,
               const TDatabase& like);
// The catalogue's own side: the books as memory holds them and its history.
TSide OurSide(const TDatabase& database);

// A copy of the database to merge, with the files read for it and the
// copies moved aside once it is merged. Its details and history are the
// copies the sync tool made of them along with it (the same marker in their
// names, or else that tool's newest), or for a copy that no tool named (one
// found by hand) the files beside it ("<copy>.details", "<copy>.history").
// Without a details copy the database's own details file is read for it:
// the tool brought that in from whichever side changed it, and its rows
// attach only to books they were written for. Without a history copy none
// is read: no entry is shared, so every book that differs is a clash.
struct TCopyFiles {
    std::string Database;
    std::string Details;
    std::string History;
    std::vector<TConflictCopy> Aside;
};
// found: FindConflictCopies(databaseFile).
TCopyFiles FilesOf(const std::string& copy, const std::string& databaseFile, const std::vector<TConflictCopy>& found);
// The copies of the database file among found, oldest first, with their files.
std::vector<TCopyFiles> DatabaseCopies(const std::string& databaseFile, const std::vector<TConflictCopy>& found);
// The side files' copies among found whose database copy (the same marker)
// was merged and moved aside already: left behind by a stop between the
// moves, they go aside too.
std::vector<TConflictCopy> LeftBehind(const std::string& databaseFile, const std::vector<TConflictCopy>& found);

} // namespace Merge
