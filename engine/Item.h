// One book as the engine sees it: an ID, ten texts and a deleted mark, and
// the details kept for it beside the database file (engine/Details.h), which
// travel with the book through every change, undo and the history.
#pragma once

#include "engine/Details.h"

#include <array>
#include <cstdint>
#include <string>

struct TItem {
    int32_t ID = 0;
    std::array<std::string, 10> Fields;
    bool Deleted = false;
    TDetails Details{};
};

// Entry i is the alias of field i.
using TAlias = std::array<std::string, 10>;
