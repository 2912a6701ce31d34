// The answer of Finna's search API (api.finna.fi/v1/search) asked for the
// fields title, subTitle, shortTitle, nonPresenterAuthors, primaryAuthors,
// publishers, year, isbns, physicalDescriptions and subjects: an object with
// "status" ("OK", or "ERROR" with a "statusMessage"), "resultCount" and the
// list "records". The bytes are untrusted; what is not of that shape is
// passed over.
#pragma once

#include "lookup/LookupRecord.h"

#include <QByteArray>

namespace FinnaAnswer {

TLookupAnswer Parse(const QByteArray& bytes);

} // namespace FinnaAnswer
