// The bytes of a database file holding these items, as a save writes them:
// the ID, then the ten fields, each on its own CR LF line.
#pragma once

#include "engine/Item.h"

#include <string>
#include <vector>

std::string DatabaseFile(const std::vector<TItem>& items);
