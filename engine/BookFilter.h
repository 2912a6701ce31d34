// TBookFilter: the find line's rule. A query is split into words at blanks;
// a book matches when every word appears somewhere in its title, author,
// publisher, year, either note or, while it is on loan, its loaner, ignoring
// case and accents ("bronte" finds "Bront\xEB"). An empty query (or one of
// blanks only) matches every book. Text is Windows-1252 bytes.
#pragma once

#include "engine/Item.h"

#include <string>
#include <string_view>
#include <vector>

class TBookFilter {
public:
    explicit TBookFilter(std::string_view query);

    bool MatchesAll() const { return Words.empty(); }
    bool Matches(const TItem& item) const;

    // The text as the rule compares it: lower case, accents dropped, the
    // ligatures and sharp s spelt out ("\xC6" "ae", "\xDF" "ss").
    static std::string Fold(std::string_view text);

private:
    std::vector<std::string> Words;
};
