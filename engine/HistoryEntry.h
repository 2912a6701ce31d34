// One entry of the history of changes kept beside the database file: when a
// change reached the file, which program made it ("Volumnia", or an import by
// volumnia-csv), and the change itself with each book before and after.
#pragma once

#include "engine/BookChange.h"

#include <cstdint>
#include <string>

struct THistoryEntry {
    int64_t Time = 0; // milliseconds since 1970-01-01 00:00 UTC
    std::string Program;
    TBookChange Change;
};
