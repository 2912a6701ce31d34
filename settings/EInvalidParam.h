// A bad argument to a lookup: an unknown alias or setting name, an empty
// search text. Raised by both the settings store and the database engine.
#pragma once

#include "platform/EBaseError.h"

class EInvalidParam : public EBaseError {
public:
    using EBaseError::EBaseError;
};
