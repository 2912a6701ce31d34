// Item errors of the database engine.
#pragma once

#include "platform/EBaseError.h"

class EORBLError : public EBaseError {
public:
    using EBaseError::EBaseError;
};
