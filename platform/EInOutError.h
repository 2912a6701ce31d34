// Raised when the file system refuses a read or a write.
#pragma once

#include "platform/EBaseError.h"

class EInOutError : public EBaseError {
public:
    using EBaseError::EBaseError;
    // A message for a C errno value, in the words users know from file dialogs.
    static EInOutError FromErrno(int error);
};
