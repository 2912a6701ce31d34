// The items a search found, in store order, and their count.
#pragma once

#include "engine/Item.h"

#include <array>
#include <cstdint>

struct Searchresult {
    std::array<TItem, 1500> Items;
    int32_t ItemCount = 0;
};
