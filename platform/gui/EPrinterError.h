// Raised when the printer refuses to start, continue or finish a document, or
// when its page cannot hold what is to be printed.
#pragma once

#include "platform/EBaseError.h"

class EPrinterError : public EBaseError {
public:
    using EBaseError::EBaseError;
};
