// TCsvReader: reads CSV as RFC 4180 writes it. Fields are separated by one
// separator (a comma, or the semicolon or tab other programs write); a field
// in double quotes may hold separators, line breaks and doubled quotes.
// Records end at CR LF, LF or a lone CR; a line break at the very end starts no
// record. A quote inside a field that does not begin with one is taken as it
// stands (12" single), as spreadsheets read it; text after a closing quote and
// a quoted field never closed are refused with their line named.
#pragma once

#include "csv/CsvRecord.h"

#include <QString>

#include <vector>

class TCsvReader {
public:
    // Raises ECsvRefusal "line N: ..." for malformed text.
    static std::vector<TCsvRecord> Parse(const QString& text, QChar separator = u',');

    // The separator of the header row, its first record: of comma, semicolon
    // and tab the one it holds most often outside quotes (a tie goes to the
    // tab, then the semicolon, which a header rarely holds in a name); a
    // comma when it holds none.
    static QChar Separator(const QString& text);
    // How the summary names a separator: "commas", "semicolons", "tabs".
    static const char* SeparatorName(QChar separator);
};
