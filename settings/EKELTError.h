// File and capacity errors of the settings store.
#pragma once

#include "platform/EBaseError.h"

class EKELTError : public EBaseError {
public:
    using EBaseError::EBaseError;
};
