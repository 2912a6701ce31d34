// TCsvExport: every book of the working folder's catalogue as CSV, in UTF-8:
// a header row ("ID" and the eight field names of the settings), then one row
// a book in file order or sorted by title, author or publisher with the
// browser's collation. Reads only: no file of the catalogue changes.
#pragma once

#include <QString>

#include <ostream>

struct TCsvExportOptions {
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
