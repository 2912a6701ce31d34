// TBookFilter: the find line's rule. A query is split into words at blanks;
// a book matches when every word appears somewhere in its title, author,
// publisher, year, either note or, while it is on loan, its loaner, ignoring
// case and accents ("bronte" finds "Bront\xEB"). An empty query (or one of
// blanks only) matches every book. Text is Windows-1252 bytes; a letter typed
// that the database's character set cannot hold (Cyrillic, Greek) stands for
// itself, so its word matches no book, rather than for the "?" the database
// would store in its place: a "?" typed matches only a real "?".
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

private:
    std::vector<std::string> Words;
    // A word holds a letter no book can hold.
    bool MatchesNone = false;
};
