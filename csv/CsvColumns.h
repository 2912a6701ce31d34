// TCsvColumns: which column of an imported CSV file fills which of the eight
// book fields, from its header row. A header matches, ignoring case, blanks at
// either end, "_" for " " and single quotes around it ('TITLE'), the field's
// name in the settings (orbl_alias0 to orbl_alias7) or one of the names other
// catalogue programs write. Several columns may fill one field (Year
// Published, Original Publication Year): the first of them with a value in a
// row gives it, where a column of whole dates (Date Published) or copyright
// years comes after every column of publication years, so the year field
// takes the year. "ID" and "Book Id"
// are known and ignored, as new books get new numbers. "Due Date" (and
// "Date Due", "Due") gives a loan's due date, kept beside the database
// rather than in a field. "Last Loaner" (and "Returned By") is the loaner
// of a book at home, which the exports write apart from the loan columns.
//
// The details of a book (engine/FieldTable) are matched through the field
// table: a header that is a row's column in any exchange layout (Volumnia's,
// Tellico's field name, Goodreads', LibraryThing's) or its key fills that
// detail, Volumnia's own column tried first; a few columns of other programs
// stand in where the row's own is empty (Goodreads' ten-digit "ISBN",
// Tellico's "read" flag as the reading status). A file Volumnia wrote (its
// "Last Loaner" column says so) is read by Volumnia's own columns alone, as
// it writes the other programs' columns only for them. Any other column is
// unknown.
//
// Two headers carry both notes in one cell, as Volumnia's Tellico and
// Goodreads exports join them: "Comments" and "Private Notes". A cell with a
// line break gives the notes the text before the first break and the second
// notes field the rest; a cell without one fills the notes ("Comments") or
// the second notes field ("Private Notes") alone; "<br/>" (or "<br>") in
// such a cell is a line break, as Tellico and Goodreads write one. The fields
// never hold a line break, so what such an export joined comes back apart.
#pragma once

#include "engine/FieldTable.h"
#include "engine/Item.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class TCsvColumns {
public:
    static constexpr int FieldCount = 8; // title to date loaned; 8 and 9 stay empty

    // Which part of a cell a column gives its field.
    enum class TPart {
        Whole,
        FirstLineOrWhole, // the text before the first line break, or all of a cell without one
        FirstLineOnly,    // the text before the first line break; nothing from a cell without one
        RestOrWhole,      // the text after the first line break, or all of a cell without one
        RestOnly,         // the text after the first line break; nothing from a cell without one
    };
    struct TSource {
        int Column;
        TPart Part;
    };

    // How a detail's column writes its values, where it differs from the
    // field's normal form.
    enum class TDetailForm {
        Plain,
        GoodreadsZeroIsNone, // Goodreads' 0 for a rating or copies not given
        Shelf,               // Goodreads' Exclusive Shelf: currently-reading is reading
        ReadFlag,            // Tellico's "read" check box: true is the status read
    };
    struct TDetailSource {
        int Column;
        TDetailForm Form;
    };
    struct TDetailColumns {
        const TField* Field;
        std::vector<TDetailSource> Sources; // in the order they are tried
    };

    TCsvColumns(const std::vector<QString>& header, const TAlias& aliases);

    // The columns that fill a field, in the order they are tried.
    const std::vector<int>& ColumnsOf(int field) const { return Columns[static_cast<size_t>(field)]; }
    const std::vector<TSource>& SourcesOf(int field) const { return Sources[static_cast<size_t>(field)]; }
    // The columns that give a loan's due date, in the order they are tried.
    const std::vector<int>& DueColumns() const { return FDue; }
    // The details the file has columns for, in the field table's order.
    const std::vector<TDetailColumns>& Details() const { return FDetails; }
    // The details the exchange carries: every one of a kind it reads and
    // writes as text; a kind it has no code for (a picture) is passed over
    // by the imports and exports alike, in every layout.
    static std::vector<const TField*> CarriedDetails();
    // Whether the column gives a loaner of a book at home (Last Loaner).
    bool AtHome(int column) const;
    // Whether the loan columns are Volumnia's own, as its earlier exports
    // wrote them ("ID" and the loaner's field name): a loaner without a loan
    // date there is a returned book's last loaner.
    bool VolumniaLoans() const { return FVolumniaLoans; }
    // The unknown columns' headers, in header order, each once.
    const QStringList& Unknown() const { return FUnknown; }

    // The part of a cell a source takes; htmlBreaks: "<br/>" is a line break.
    static QString PartOf(const QString& text, TPart part, bool htmlBreaks = true);
    // Whether the file is one Volumnia wrote (its Last Loaner column): its
    // notes cells part at a line break alone.
    bool Own() const { return !FAtHome.empty(); }

private:
    std::array<std::vector<int>, FieldCount> Columns;
    std::array<std::vector<TSource>, FieldCount> Sources;
    std::vector<int> FDue;
    std::vector<int> FAtHome;
    std::vector<TDetailColumns> FDetails;
    bool FVolumniaLoans = false;
    QStringList FUnknown;
};
