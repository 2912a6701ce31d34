// The answer of Open Library's Books API asked with jscmd=data and
// format=json: an object keyed by the bibkeys asked for ("ISBN:…"), each
// value a book with its title, subtitle, authors, publishers, publish date,
// number of pages, identifiers, subjects and cover. An unknown ISBN answers
// "{}": no records, no problem. The bytes come from the network and are
// read as untrusted: anything not of the documented shape is passed over.
#pragma once

#include "lookup/LookupRecord.h"

#include <QByteArray>

namespace OpenLibraryAnswer {

TLookupAnswer Parse(const QByteArray& bytes);

} // namespace OpenLibraryAnswer
