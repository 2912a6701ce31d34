// TCsvColumns: which column of an imported CSV file fills which of the eight
// book fields, from its header row. A header matches, ignoring case, blanks at
// either end and "_" for " ", the field's name in the settings (orbl_alias0 to
// orbl_alias7) or one of the names other catalogue programs write. Several
// columns may fill one field (Year Published, Original Publication Year): the
// first of them with a value in a row gives it. "ID" is known and ignored, as
// new books get new numbers; any other column is unknown.
#pragma once

#include "engine/Item.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class TCsvColumns {
public:
    static constexpr int FieldCount = 8; // title to date loaned; 8 and 9 stay empty

    TCsvColumns(const std::vector<QString>& header, const TAlias& aliases);

    // The columns that fill a field, in header order.
    const std::vector<int>& ColumnsOf(int field) const { return Columns[static_cast<size_t>(field)]; }
    // The unknown columns' headers, in header order, each once.
    const QStringList& Unknown() const { return FUnknown; }

private:
    std::array<std::vector<int>, FieldCount> Columns;
    QStringList FUnknown;
};
