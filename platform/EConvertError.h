// Raised when a text does not convert to a whole number.
#pragma once

#include "platform/EBaseError.h"

class EConvertError : public EBaseError {
public:
    using EBaseError::EBaseError;
    // The standard message: "'<text>' is not a valid integer value".
    static EConvertError NotAnInteger(const std::string& text)
    {
        return EConvertError("'" + text + "' is not a valid integer value");
    }
};
