// The database file is missing or cannot be taken as a database file.
#pragma once

#include "platform/EBaseError.h"

class EDatabaseError : public EBaseError {
public:
    using EBaseError::EBaseError;
};
