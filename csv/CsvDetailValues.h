// TCsvDetailValues: a detail's value as another program writes it, read into
// the field's normal form (FieldTable::Normalized). Beside the forms a
// column names (TCsvColumns::TDetailForm), every column is read with the
// wrappings the programs put around a value: Goodreads' ="…" against
// spreadsheets, LibraryThing's [brackets], and dates written yyyy/MM/dd.
#pragma once

#include "csv/CsvColumns.h"

#include <QString>

#include <string>

class TCsvDetailValues {
public:
    // The value in its normal form (empty for none), or false with why, a
    // sentence for the user.
    static bool Read(const TField& field, TCsvColumns::TDetailForm form, const QString& cell, std::string& value,
                     std::string& why);
};
