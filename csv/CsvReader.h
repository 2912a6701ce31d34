// TCsvReader: reads CSV as RFC 4180 writes it. Fields are separated by commas;
// a field in double quotes may hold commas, line breaks and doubled quotes.
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
    static std::vector<TCsvRecord> Parse(const QString& text);
};
