// TCsvWriter: CSV rows as RFC 4180 writes them, in UTF-8 with CR LF line ends.
// A field is quoted when it holds a comma, a quote or a line break, or begins
// or ends with a blank (which some readers would trim); quotes are doubled.
// A field a spreadsheet would run as a formula is written with an apostrophe
// before it (TCsvFormulas).
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

class TCsvWriter {
public:
    // The cells of the columns in verbatim are written as they stand, without
    // the apostrophe against formulas.
    static void AppendRow(QByteArray& out, const std::vector<QString>& fields,
                          const std::vector<size_t>& verbatim = {});
};
