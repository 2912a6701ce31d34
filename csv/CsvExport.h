// TCsvExport: every book of the working folder's catalogue as CSV, in UTF-8
// (or as a Tellico data file):
// a header row ("ID" and the eight field names of the settings), then one row
// a book in file order or sorted by title, author or publisher with the
// browser's collation. Reads only: no file of the catalogue changes, and no
// file of the catalogue (settings, database, safety copy, lock files, a save's
// temporary names) is taken as FILE. A FIFO or a character device at FILE gets
// the list in place, as a stream; a regular file is replaced whole.
//
// The other layouts (TCsvLayouts) are for programs that read CSV without
// being told which column is which: Tellico's CSV import and the reading
// sites that take Goodreads' export; "tellico" writes Tellico's own data file
// instead (TTellicoFile), which Tellico opens with its loans. Every layout and
// the Tellico file import back whole.
#pragma once

#include "csv/CsvLayouts.h"

#include <QDate>
#include <QString>

#include <ostream>

struct TCsvExportOptions {
    TCsvFormat Format = TCsvFormat::Volumnia;
    int SortField = -1;                     // 0 title, 1 author, 2 publisher; -1 file order
    bool Bom = false;                       // a byte order mark first, for spreadsheets that look for one
    QString File;                           // empty: standard output
    QString Shelf = QStringLiteral("read"); // Goodreads' Exclusive Shelf
    QDate Today;                            // Goodreads' Date Added; null: the system's date
};

class TCsvExport {
public:
    // The CSV goes to options.File or to out; a line about it to report.
    // Raises ECsvRefusal, having written nothing, when it cannot be done.
    static void Run(const TCsvExportOptions& options, std::ostream& out, std::ostream& report);
    // Raises ECsvRefusal when file names one of the catalogue's own files (the
    // settings, the database, its side files, locks and a save's temporary
    // names), however it is reached.
    static void RefuseCatalogueFile(const QString& file, const QString& databasePath);
};
