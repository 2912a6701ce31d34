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
// rather than in a field; any other column is unknown.
//
// Two headers carry both notes in one cell, as Volumnia's Tellico and
// Goodreads exports join them: "Comments" and "Private Notes". A cell with a
// line break gives the notes the text before the first break and the second
// notes field the rest; a cell without one fills the notes ("Comments") or
// the second notes field ("Private Notes") alone; "<br/>" (or "<br>") in
// such a cell is a line break, as Tellico and Goodreads write one. The fields
// never hold a line break, so what such an export joined comes back apart.
#pragma once

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

    TCsvColumns(const std::vector<QString>& header, const TAlias& aliases);

    // The columns that fill a field, in the order they are tried.
    const std::vector<int>& ColumnsOf(int field) const { return Columns[static_cast<size_t>(field)]; }
    const std::vector<TSource>& SourcesOf(int field) const { return Sources[static_cast<size_t>(field)]; }
    // The columns that give a loan's due date, in the order they are tried.
    const std::vector<int>& DueColumns() const { return FDue; }
    // The unknown columns' headers, in header order, each once.
    const QStringList& Unknown() const { return FUnknown; }

    // The part of a cell a source takes.
    static QString PartOf(const QString& text, TPart part);

private:
    std::array<std::vector<int>, FieldCount> Columns;
    std::array<std::vector<TSource>, FieldCount> Sources;
    std::vector<int> FDue;
    QStringList FUnknown;
};
