// TCsvExport: every book of the working folder's catalogue as CSV, in UTF-8:
// a header row ("ID" and the eight field names of the settings), then one row
// a book in file order or sorted by title, author or publisher with the
// browser's collation. Reads only: no file of the catalogue changes, and no
// file of the catalogue (settings, database, safety copy, lock files, a save's
// temporary names) is taken as FILE. A FIFO or a character device at FILE gets
// the list in place, as a stream; a regular file is replaced whole.
//
// Two other layouts are for programs that read CSV without being told which
// column is which:
// - Tellico: the titles of Tellico's book fields (Title, Author, Publisher,
//   Publication Year, Comments), which its CSV import matches by itself, then
//   the loan as "Loaned To" and "Loan Date", which Tellico passes over.
// - Goodreads: the columns of Goodreads' library export, which the reading
//   sites (StoryGraph, LibraryThing, BookWyrm) import, with our data in Title,
//   Author, Publisher, Year Published and Private Notes, then "Loaned To" and
//   "Loan Date".
// Both hold the two notes in one cell, joined by a line break (the fields
// never hold one), which the import splits again (TCsvColumns): Tellico's
// Comments are the notes, with a line break and the second notes after them
// when there are any; Goodreads' Private Notes are the second notes, with the
// notes and a line break before them when there are any. Every layout imports
// back whole.
#pragma once

#include <QString>

#include <ostream>

enum class TCsvFormat { Volumnia, Tellico, Goodreads };

struct TCsvExportOptions {
    TCsvFormat Format = TCsvFormat::Volumnia;
    int SortField = -1; // 0 title, 1 author, 2 publisher; -1 file order
    bool Bom = false;   // a byte order mark first, for spreadsheets that look for one
    QString File;       // empty: standard output
};

class TCsvExport {
public:
    // The CSV goes to options.File or to out; a line about it to report.
    // Raises ECsvRefusal, having written nothing, when it cannot be done.
    static void Run(const TCsvExportOptions& options, std::ostream& out, std::ostream& report);
};
