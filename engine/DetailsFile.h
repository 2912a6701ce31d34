// The details file: the details of the books (engine/Details.h) kept beside
// the database file in "<database>.details", UTF-8, CR LF, one line a book:
//   Volumnia details
//   <ID> TAB <fingerprint> TAB <key> TAB <value> [TAB <key> TAB <value> ...]
// A tab, a backslash, CR or LF inside a value is written \t, \\, \r, \n.
// The fingerprint is the CRC-32 (8 hex digits) of the book's title and
// author as the database file holds them: a row is the book's only while the
// book of its ID still has that title and author. A row whose book was
// changed or removed outside the program is kept aside ("stray"), never
// attached to the book now under its number.
//
// A change that saves both files writes this file first with a journal: the
// rows after the change, then a line "journal <hash after> <hash before>"
// (CRC-32 of the database file's bytes after and before the change) and the
// rows as they were before. The database file is written next, then this
// file again without the journal. Whatever a kill leaves, the load takes the
// rows that go with the database file found: the rows before when its bytes
// hash to <hash before>, the rows after otherwise. So every book has either
// its old or its new details, and never another book's.
//
// A line "due dates moved" after the header says the due dates of the old
// "<database>.due" (engine/DueDates) were taken into the rows: that file is
// read no more for the loans, so a due date cleared since stays cleared.
#pragma once

#include "engine/Details.h"
#include "engine/Item.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TDetailsRow {
    int32_t ID = 0;
    std::string Fingerprint;
    TDetails Details;
    bool operator==(const TDetailsRow& other) const = default;
};

namespace DetailsFile {

std::string FileNameFor(const std::string& databaseFileName);
// The fingerprint of a book: its title and author as stored.
std::string Fingerprint(const TItem& book);

struct TContent {
    std::vector<TDetailsRow> Rows;
    bool HasJournal = false;
    uint32_t HashAfter = 0;
    uint32_t HashBefore = 0;
    std::vector<TDetailsRow> RowsBefore;
    size_t Damaged = 0;    // lines passed over
    bool NotOurs = false;  // no header: nothing of it is read
    bool DueMoved = false; // the "due dates moved" line
};

// The file as written: the rows, and with a journal the rows before.
std::string Format(const std::vector<TDetailsRow>& rows, bool dueMoved = false);
// Format in steps, for a writer that walks its books: the header (with the
// "due dates moved" line where they did), then a row.
std::string Header(bool dueMoved = false);
void AppendRow(std::string& out, int32_t id, std::string_view fingerprint, const TDetails& details);
// A clean file (after) with the journal naming the hashes and the rows of
// another clean file (before).
std::string Journaled(const std::string& after, uint32_t hashAfter, uint32_t hashBefore, const std::string& before);
std::string FormatJournaled(const std::vector<TDetailsRow>& rows, uint32_t hashAfter, uint32_t hashBefore,
                            const std::vector<TDetailsRow>& rowsBefore, bool dueMoved = false);
TContent Parse(std::string_view bytes);
// The rows that go with a database file whose bytes hash to databaseHash.
const std::vector<TDetailsRow>& RowsFor(const TContent& content, uint32_t databaseHash);
std::vector<TDetailsRow>& RowsFor(TContent& content, uint32_t databaseHash);

} // namespace DetailsFile
