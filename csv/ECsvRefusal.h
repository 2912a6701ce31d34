// Why volumnia-csv does not do what it was asked: the message is UTF-8 text
// for standard error, and nothing has been written when it is raised.
#pragma once

#include "platform/EBaseError.h"

class ECsvRefusal : public EBaseError {
public:
    using EBaseError::EBaseError;
};
