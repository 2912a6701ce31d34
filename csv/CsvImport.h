// TCsvImport: appends the rows of a CSV file (or a Tellico data file) to the working folder's catalogue
// as new books. Everything is checked before anything is written, and a
// refusal writes nothing. The new books take the numbers after CurrentIndex,
// as Volumnia's Add does; CurrentIndex is raised in the settings file first
// and the database saved once after it, so a failure at either step leaves
// whole files and never a number given out twice.
//
// A row whose title and author (ignoring case and blanks at either end) match
// a book of the catalogue or an earlier row is passed over unless
// KeepDuplicates, so the same file imported twice adds nothing the second
// time. A book with a loaner but no loan date is lent from the day of the
// import. Fields written with a leading apostrophe against spreadsheets'
// formulas get their own text back (TCsvFormulas).
// A lent book's due date ("Due Date") becomes its detail "due", saved with
// the books in the import's one change; a loan without one takes the loan
// period, as a loan made in Volumnia does (TDueDates).
#pragma once

#include "csv/CsvInput.h"

#include <QDate>
#include <QString>

#include <ostream>

struct TCsvImportOptions {
    QString File;                                    // "-": standard input
    TCsvEncoding Encoding = TCsvEncoding::Automatic; // of a text file; see TCsvInput
    bool DryRun = false;                             // tell what would happen and write nothing
    bool Substitute = false;     // letters Windows-1252 cannot hold take their closest form, not refused
    bool KeepDuplicates = false; // add rows whose title and author the catalogue holds already
    QDate Today;                 // the loan date of a lent book without one; null: the system's date
};

class TCsvImport {
public:
    // What was (or would be) added and skipped goes to report. Raises
    // ECsvRefusal when the import is refused or a write fails.
    static void Run(const TCsvImportOptions& options, std::ostream& report);

    // Larger input is refused unread: a CSV file of 1499 books with long
    // texts stays far below it.
    static constexpr qint64 MaxInputBytes = TCsvInput::MaxInputBytes;
};
