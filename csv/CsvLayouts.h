// TCsvLayouts: the header and the rows of each CSV layout the export writes.
// - Volumnia: "ID" and the eight field names of the settings.
// - Tellico CSV: Tellico's internal field names (title, author, publisher,
//   pub_year, comments), which its CSV import matches in every language once
//   "First row contains field titles" is ticked, then the loan as "Loaned To"
//   and "Loan Date", which Tellico passes over. Both notes are in comments,
//   joined by a line break.
// - Goodreads: the 31 columns of Goodreads' library export as it is written
//   today, which the reading sites (StoryGraph, LibraryThing, BookWyrm)
//   import: Title, Author, Publisher, Year Published, the notes in Private
//   Notes (the notes, a line break and the second notes), "Date Added" the
//   day of the export (yyyy/MM/dd, as Goodreads writes it) and "Exclusive
//   Shelf" the shelf asked for ("read" unless told), by which the importers
//   shelve; then "Loaned To" and "Loan Date".
// Every layout ends with "Due Date": the loan's due date as yyyy-MM-dd, empty
// when the book is not lent or its loan has none.
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
    static constexpr const char* DueHeader = "Due Date";
};
