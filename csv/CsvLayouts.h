// TCsvLayouts: the header and the rows of each CSV layout the export writes.
// - Volumnia: "ID" and the eight field names of the settings.
// - Tellico CSV: Tellico's internal field names (title, author, publisher,
//   pub_year, comments), which its CSV import matches in every language once
//   "First row contains field titles" is ticked, then the loan as "Loaned To"
//   and "Loan Date", which Tellico passes over, and after "Due Date" the
//   details Tellico has a field for (isbn, series, keyword ...). Both notes
//   are in comments, joined by a line break; a field of several values is
//   parted by "; ".
// - Goodreads: the 31 columns of Goodreads' library export as it is written
//   today, which the reading sites (StoryGraph, LibraryThing, BookWyrm)
//   import: Title, Author, the ISBNs wrapped as ="…", My Rating (0 for
//   none), Publisher, Number of Pages, the years, Date Read and Date Added
//   (yyyy/MM/dd; a book added on no known day the day of the export),
//   Bookshelves (the tags), Exclusive Shelf (the reading status, or the shelf
//   asked for, "read" unless told), the notes in Private Notes (the notes, a
//   line break and the second notes), Owned Copies; then "Loaned To" and
//   "Loan Date".
// Every layout goes on with "Due Date" (the loan's due date as yyyy-MM-dd),
// (Tellico CSV: its detail fields,) each detail of the field table in its
// Volumnia column, and "Last Loaner".
// A book at home has empty loan columns and its last loaner, if any, under
// Last Loaner: the loaner Volumnia keeps after a return is no loan.
#pragma once

#include "engine/Item.h"

#include <QDate>
#include <QString>

#include <vector>

enum class TCsvFormat { Volumnia, Tellico, TellicoCsv, Goodreads };

struct TCsvLayoutOptions {
    QString Shelf = QStringLiteral("read"); // Goodreads' Exclusive Shelf
    QDate Today;                            // Goodreads' Date Added
};

class TCsvLayouts {
public:
    static std::vector<QString> Header(TCsvFormat format, const TAlias& aliases);
    // due: the loan's due date; null for none.
    static std::vector<QString> Row(TCsvFormat format, const TItem& item, const QDate& due,
                                    const TCsvLayoutOptions& options);
    // The columns whose cells are written as they stand, never taken for
    // a spreadsheet's formula (Goodreads' ="…" ISBNs).
    static std::vector<size_t> Verbatim(TCsvFormat format);
    static constexpr const char* DueHeader = "Due Date";
    static constexpr const char* AtHomeHeader = "Last Loaner";
};
