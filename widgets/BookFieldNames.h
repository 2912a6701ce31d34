// The names the windows give the book fields 0 to 7, in field order. The
// dialogs pass them to the engine as field aliases, so they only reach a field
// where the settings name that field's alias with the same text; the lists of
// the bulk-change dialogs and the print columns offer exactly these.
#pragma once

#include <array>

inline constexpr std::array<const char*, 8> BookFieldNames = {
    "Book title",            // 0
    "Book author",           // 1
    "Publisher",             // 2
    "Year published",        // 3
    "Other information (1)", // 4
    "Other information (2)", // 5
    "Loaner",                // 6
    "Date loaned",           // 7
};
