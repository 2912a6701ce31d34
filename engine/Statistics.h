// What the collection holds, counted: books per author, publisher, decade,
// language, shelf or tag, reading status and rating (each field of the field
// table that says how it is counted, so a new detail needs no code here);
// books added and removed per year, from the history of changes; and the
// loans: how many each borrower had, how long books stayed out, how many of
// those out now are overdue, and which books were never lent.
//
// Pure functions over the books as they are now (TItem, details attached),
// the history's entries (oldest first) and today's date; nothing here reads
// a file or keeps state. Labels are UTF-8 (the database's Windows-1252 texts
// are converted), so a window shows them as they are.
#pragma once

#include "engine/HistoryEntry.h"
#include "engine/Item.h"

#include <QDate>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct TField;

// One table of counts, drawn as a bar chart: a row per value (an author, a
// decade, a year, a borrower) with its numbers, the first of which is the
// bar's length.
struct TStatTable {
    struct TRow {
        std::string Label;
        std::vector<double> Values; // one a column
        // The books of the catalogue the row stands for, in the catalogue's
        // order: what choosing its bar lists.
        std::vector<int32_t> Ids;
        // A row beside the scale: books without a value, a year that is no
        // year, the books from before the history reaches.
        bool Apart = false;
    };
    std::string Title;                // "Books by decade"
    std::string LabelTitle;           // "Decade", the first column's title
    std::vector<std::string> Columns; // the numbers' titles, "Books"
    std::vector<TRow> Rows;
};

struct TLoanSummary {
    int Loans = 0;   // every loan known, still out or returned
    int OnLoan = 0;  // books out now
    int Overdue = 0; // of those, past their due date today
    int Timed = 0;   // loans whose days out are known
    double AverageDays = 0;
    int LongestDays = 0;
    std::vector<int32_t> NeverLent; // books with no loan known, in the catalogue's order
};

struct TStatistics {
    int Books = 0;
    std::vector<TStatTable> Tables; // the fields counted in the table's order, then the years, then the borrowers
    TLoanSummary Loans;
};

namespace Statistics {

// What a year text reads as: a decade (1813, "c. 1900", "ca. 1850", "1890s",
// "[1862]"), no year (empty) or a text that is not a year ("unknown", "62",
// "1850-1855").
enum class TYearKind { Decade, NoYear, NotAYear };
TYearKind DecadeOf(const std::string& year, int& decade);

// The books counted by one field of the field table, as its Counted says:
// by each value (tags one by one, choices and whole ratings listed also when
// no book has them) or by decade; the books without a value, and years that
// are not years, apart and last.
TStatTable CountBy(const TField& field, const std::vector<TItem>& books);

// Books added and removed per calendar year (local time) of the changes in
// the history: a book counts as added in the year it first appears there,
// as removed in the year it last went, where it is not in the catalogue now.
// Books the history first meets already there or coming back (an undo, a
// redo, a book brought back), or never meets, were added before it reaches
// ("Before the history", apart and first).
TStatTable AddedAndRemoved(const std::vector<THistoryEntry>& history, const std::vector<TItem>& books);

// The due date of a book on loan; the default reads its detail "due".
using TDueOf = std::function<std::optional<QDate>(const TItem& book)>;

// Loans per borrower (the loan history read from the history and the books
// now): loans, out now, overdue now, days out on average and at most. A
// loan's days run from its loan date (or, where that does not read, the
// change that made it) to the change that ended it, or to today while it is
// out; a loan whose start or end is not known has none.
TStatTable Borrowers(const std::vector<THistoryEntry>& history, const std::vector<TItem>& books, const QDate& today,
                     const TDueOf& dueOf = {}, TLoanSummary* summary = nullptr);

// Everything above.
TStatistics Of(const std::vector<TItem>& books, const std::vector<THistoryEntry>& history, const QDate& today,
               const TDueOf& dueOf = {});

// A count, or a fraction with one decimal, as the locale writes it; empty
// for a number not known (NaN).
std::string Number(double value);
// A table as text for the clipboard: a line of column titles, then a line a
// row, tab-separated, the numbers as Number writes them.
std::string AsText(const TStatTable& table);

} // namespace Statistics
