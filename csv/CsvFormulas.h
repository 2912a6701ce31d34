// TCsvFormulas: fields that spreadsheets would run as formulas. A cell that
// begins with "=", "+", "-", "@", a tab or a carriage return is taken by
// Gnumeric, LibreOffice and Excel as a formula (=HYPERLINK(...) becomes a live
// link). Exports write such a field with an apostrophe before it, which the
// spreadsheets show as text, and imports take that apostrophe off again.
//
// The rule that keeps every value whole both ways: a value whose leading
// apostrophes (none or more) are followed by one of those characters gets one
// apostrophe more on export, and loses one on import. So "=1" is written "'=1",
// "'=1" is written "''=1" and "-" alone "'-". A value whose apostrophes are
// not followed by one of those characters ("'tis", "'") is written and read as
// it stands.
#pragma once

#include <QString>

class TCsvFormulas {
public:
    static QString Defused(const QString& value);
    static QString Restored(const QString& field);
};
