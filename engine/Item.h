// One book as the engine sees it: an ID, ten texts and a deleted mark.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct TItem {
    int32_t ID = 0;
    std::array<std::string, 10> Fields;
    bool Deleted = false;
};

// Entry i is the alias of field i.
using TAlias = std::array<std::string, 10>;
