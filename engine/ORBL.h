// Everything a caller of the database engine needs.
#pragma once

#include "engine/Database.h"
#include "engine/EDatabaseError.h"
#include "engine/EORBLError.h"
#include "engine/Item.h"
#include "engine/Searchresult.h"
#include "platform/EConvertError.h"
#include "platform/EInOutError.h"
#include "settings/KELT.h"
