// TBookFilter: the find line's rule. A query is split into words at blanks;
// a book matches when every word appears somewhere in its title, author,
// publisher, year, either note or, while it is on loan, its loaner, ignoring
// case and accents ("bronte" finds "Bront\xEB"). An empty query (or one of
// blanks only) matches every book. Text is Windows-1252 bytes; a letter typed
// that the database's character set cannot hold (Cyrillic, Greek) stands for
// itself, so its word matches no book, rather than for the "?" the database
// would store in its place: a "?" typed matches only a real "?".
//
// A word also matches a book whose details (engine/FieldTable.h) hold it, as
// the windows show them and folded the same way: a tag, a series, a status,
// the title or author in their own letters. A word of digits and hyphens
// matches an ISBN with the hyphens left out, in its ISBN-13 form or its
// ISBN-10 form ("978-0-552" and "0552131075" both find 9780552131070). Given
// the query as typed as well, a word of letters the database cannot hold is
// sought in the details in those letters.
#pragma once

#include "engine/Item.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

class TBookFilter {
public:
    // Stands in a query for a letter the database cannot hold: no book holds it.
    static constexpr char Unheld = '\0';

    explicit TBookFilter(std::string_view query);
    // The query as FromTyped gives it, and as typed (UTF-8) for the details.
    TBookFilter(std::string_view query, std::string_view typed);

    // The query as typed in a window: each character as its Windows-1252
    // byte; one the code page lacks as its letter without accents where that
    // is one it has ("\u0151" "o"), as a blank where it is a space, and as
    // Unheld otherwise.
    static std::string FromTyped(const QString& typed);

    bool MatchesAll() const { return Words.empty() && !MatchesNone; }
    bool Matches(const TItem& item) const;

    // The text as the rule compares it: lower case, accents dropped, the
    // ligatures and sharp s spelt out ("\xC6" "ae", "\xDF" "ss").
    static std::string Fold(std::string_view text);

    // Details text as the rule compares it (UTF-8): decomposed, the marks
    // dropped, case-folded, the ligatures spelt out as Fold does.
    static std::string FoldDetail(std::string_view utf8);

private:
    // The words as they are sought in the details; Typed is the query as
    // typed (UTF-8, may be empty).
    void TakeDetailWords(std::string_view typed);
    // Whether word w is in one of the book's details; details is the book's
    // folded details text, made on the first call for a book (made false).
    bool InDetails(const TItem& item, size_t w, std::string& details, bool& made) const;

    std::vector<std::string> Words;
    // A word holds a letter no book can hold.
    bool MatchesNone = false;
    // Word w as sought in the details (empty: not sought there), and its
    // digits where it may be part of an ISBN (empty otherwise).
    std::vector<std::string> DetailWords;
    std::vector<std::string> IsbnWords;
    // Every word holding a letter the database lacks is sought in the details.
    bool OwnLetters = false;
};
