// Everything a caller of the settings store needs.
#pragma once

#include "platform/EConvertError.h"
#include "platform/EInOutError.h"
#include "settings/EInvalidParam.h"
#include "settings/EKELTError.h"
#include "settings/RFileSystem.h"
#include "settings/Value.h"
