// The field table: every datum a book can hold, as data. The eight texts of
// the database file and the details kept beside it are rows here, each with
// its key, kind, caption and its column in each exchange layout; the windows,
// find, the history, the exchange code and the statistics walk this table, so
// adding a detail is one row in Rows (FieldTable.cpp) and nothing else.
//
// Values of details are UTF-8 in a normal form per kind (Normalized): a date
// is yyyy-MM-dd, a number plain digits (a series number may have one decimal
// point: "2.5"), an ISBN its 13 digits, tags joined by ", ", a choice its
// stored value. Keys are stored in the details file and the history and never
// change.
#pragma once

#include "engine/Details.h"

#include <string>
#include <string_view>
#include <vector>

enum class TFieldKind {
    Text,
    Number, // a whole number, or a series number such as 2.5
    Date,   // yyyy-MM-dd
    Rating, // 0 to 5
    Tags,   // a list of tags, "fantasy, humour"
    Choice, // one of Choices
    Isbn,   // ISBN-10 or ISBN-13, kept as ISBN-13
    Image   // a picture: the name of its file among the covers (engine/Covers.h)
};

struct TFieldChoice {
    const char* Stored; // "to-read"
    const char* Shown;  // "To read"
};

struct TField {
    const char* Key; // "isbn"; never changes once stored
    TFieldKind Kind;
    const char* Caption; // "ISBN", the label and column title
    // 0 to 7: one of the database file's fields (Key is then its name in
    // the exchange layouts only); -1: a detail.
    int FileField = -1;
    std::vector<TFieldChoice> Choices = {};
    // The column of this field in each exchange layout, empty where the
    // layout has none: Volumnia's own CSV, Tellico's field name, Goodreads'
    // and LibraryThing's exports.
    const char* VolumniaColumn = "";
    const char* TellicoField = "";
    const char* GoodreadsColumn = "";
    const char* LibraryThingColumn = "";
    // The detail that orders books sharing a value of this one, where the
    // list is sorted by it ("series" then "series_number": 1, 2, 10).
    const char* ThenBy = "";

    bool IsDetail() const { return FileField < 0; }
};

namespace FieldTable {

// Every field: the eight of the database file first, in field order, then
// the details in the order the Book details window shows them.
const std::vector<TField>& Fields();
// The details only (FileField < 0).
std::vector<const TField*> Details();
// The field of that key, nullptr for none.
const TField* Find(std::string_view key);

// Well-known keys the engine itself uses.
inline constexpr const char* DueKey = "due";
inline constexpr const char* TitleOwnKey = "title_own";
inline constexpr const char* AuthorOwnKey = "author_own";
inline constexpr const char* CoverKey = "cover";

// The value typed or imported in its normal form, or false (with why, a
// sentence for the user) when it is not a value of the field: a bad check
// digit, a rating of 7, a date that is no day. Blanks around are dropped; an
// empty text is the empty value.
bool Normalized(const TField& field, std::string_view text, std::string& value, std::string* why = nullptr);
// The value as a window shows it (a choice's shown name, an ISBN with its
// hyphens left out: the 13 digits).
std::string Shown(const TField& field, const std::string& value);

// ISBN-13 digits of an ISBN-10 or ISBN-13 written with or without hyphens
// and blanks (the check digit verified), empty when it is none.
std::string Isbn13(std::string_view text);
// The ISBN-10 form of an ISBN-13 starting 978, empty otherwise.
std::string Isbn10(const std::string& isbn13);

// The tags of a Tags value, each trimmed, none empty, duplicates dropped.
std::vector<std::string> TagsOf(std::string_view value);

// Orders two values of a field: numbers and ratings by value (1, 2, 10),
// dates by day, others by the bytes given (the caller collates text).
// <0, 0, >0; an empty value sorts last.
int CompareValues(const TField& field, const std::string& a, const std::string& b);

} // namespace FieldTable
