// The CUPS library, loaded when a print run first asks, not linked: linked,
// it and the libraries it needs (TLS, Kerberos, Avahi) would be loaded and
// initialised at every start of the program. Qt's own CUPS plug-in loads the
// same library when printing begins, so both share its state (the server in
// use and the result of the last request made on this thread).
#pragma once

#include <cups/cups.h>

struct TCups {
    decltype(&cupsGetNamedDest) GetNamedDest = nullptr;
    decltype(&cupsCopyDestInfo) CopyDestInfo = nullptr;
    decltype(&cupsFindDestDefault) FindDestDefault = nullptr;
    decltype(&cupsFreeDestInfo) FreeDestInfo = nullptr;
    decltype(&cupsFreeDests) FreeDests = nullptr;
    decltype(&cupsGetOption) GetOption = nullptr;
    decltype(&cupsLastError) LastError = nullptr;
    decltype(&cupsLastErrorString) LastErrorString = nullptr;
    decltype(&cupsServer) Server = nullptr;
    decltype(&cupsEncryption) Encryption = nullptr;
    decltype(&ippPort) Port = nullptr;
    decltype(&httpConnect2) Connect = nullptr;
    decltype(&httpSetTimeout) SetTimeout = nullptr;
    decltype(&httpClose) Close = nullptr;
    decltype(&ippGetValueTag) GetValueTag = nullptr;
    decltype(&ippGetCount) GetCount = nullptr;
    decltype(&ippGetResolution) GetResolution = nullptr;

    // The functions, or nullptr where the library or one of them is missing.
    static const TCups* Get();
};
