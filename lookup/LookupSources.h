// The sources a lookup by ISBN asks, their base addresses and the requests
// made of them. Open Library is asked first; without a record from it, the
// national library the ISBN's prefix names: Finna for 978-951 and 978-952
// (Finland), the German National Library's SRU for 978-3, the Library of
// Congress's SRU for every other. Covers come from Open Library's cover
// server, by the cover ID a record names.
//
// Each base address is a setting (LOOKUP_OPENLIBRARY, LOOKUP_COVERS,
// LOOKUP_FINNA, LOOKUP_DNB, LOOKUP_LOC), so a user or a test can point a
// source elsewhere; installations made before the lookup lack them, and a
// missing one means the address built in here.
#pragma once

#include "lookup/LookupRecord.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <array>
#include <string>

class TRFileSystem;

enum class TLookupSource { OpenLibrary, Covers, Finna, Dnb, LibraryOfCongress };

namespace LookupSources {

inline constexpr int Count = 5;

// The setting that holds the source's base address, and the address built in.
const char* SettingKey(TLookupSource source);
QString BuiltInBase(TLookupSource source);
// The source's name in the progress line and the messages: "Open Library".
QString Name(TLookupSource source);

// The base address of every source: the setting where it is written, the
// built-in address where it is missing or empty.
std::array<QString, Count> BasesFrom(const TRFileSystem& settings);
std::array<QString, Count> BuiltInBases();

// The national library asked for an ISBN-13 when Open Library has nothing.
TLookupSource NationalFor(const std::string& isbn13);

// The request for an ISBN-13 of a source (not Covers).
QUrl RequestFor(TLookupSource source, const QString& base, const std::string& isbn13);
// The request for a cover by its ID, medium size (about 180 by 270).
QUrl CoverRequest(const QString& base, const QString& coverId);

// The records of a source's answer (not Covers).
TLookupAnswer Parse(TLookupSource source, const QByteArray& bytes);

// The User-Agent every request carries: the program, its version and where
// its manual says what it asks of whom.
QByteArray UserAgent();

} // namespace LookupSources
