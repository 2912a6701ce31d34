// The answer of an SRU 1.1 searchRetrieve whose records are MARC 21 in XML
// (the German National Library's recordSchema MARC21-xml and the Library of
// Congress's marcxml are the same MARCXML slim records). A diagnostic in the
// answer (sent with HTTP 200) is the answer's problem. Read from the MARC
// fields: 245 $a $b title and subtitle, 100 and 700 $a authors, 264 or 260
// $b publisher and $c date (008's first date without one), 300 $a extent,
// 020 $a ISBN, 650 $a subjects. The bytes are untrusted: no DTD is read and
// an XML error ends the reading with what was read so far.
#pragma once

#include "lookup/LookupRecord.h"

#include <QByteArray>

namespace SruAnswer {

TLookupAnswer Parse(const QByteArray& bytes);

} // namespace SruAnswer
