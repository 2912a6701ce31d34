// Raised when a JPEG picture cannot be decoded, is cut off or is damaged.
#pragma once

#include "platform/EBaseError.h"

class EJpegError : public EBaseError {
public:
    using EBaseError::EBaseError;
};
