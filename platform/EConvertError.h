// Raised when a text does not convert to a whole number.
#pragma once

#include "platform/EBaseError.h"

class EConvertError : public EBaseError {
public:
    using EBaseError::EBaseError;
    // The standard message: "'<text>' is not a valid integer value". A text
    // longer than QuotedLength is quoted only in part (ended by "..."): a
    // whole line of a damaged file may be megabytes long, and the message
    // ends up in a message box.
    static constexpr size_t QuotedLength = 100;
    static EConvertError NotAnInteger(const std::string& text)
    {
        if (text.size() <= QuotedLength)
            return EConvertError("'" + text + "' is not a valid integer value");
        return EConvertError("'" + text.substr(0, QuotedLength) + "...' is not a valid integer value");
    }
};
