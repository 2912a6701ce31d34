#include "platform/print/Cups.h"

#include <QLibrary>

#include <type_traits>

const TCups* TCups::Get()
{
    static const TCups* const cups = []() -> const TCups* {
        static QLibrary library(QStringLiteral("cups"), 2);
        static TCups functions;
        if (!library.load())
            return nullptr;
        bool complete = true;
        const auto resolve = [&complete](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
            complete = complete && function;
        };
        resolve(functions.GetNamedDest, "cupsGetNamedDest");
        resolve(functions.CopyDestInfo, "cupsCopyDestInfo");
        resolve(functions.FindDestDefault, "cupsFindDestDefault");
        resolve(functions.FreeDestInfo, "cupsFreeDestInfo");
        resolve(functions.FreeDests, "cupsFreeDests");
        resolve(functions.GetOption, "cupsGetOption");
        resolve(functions.LastError, "cupsLastError");
        resolve(functions.LastErrorString, "cupsLastErrorString");
        resolve(functions.Server, "cupsServer");
        resolve(functions.Encryption, "cupsEncryption");
        resolve(functions.Port, "ippPort");
        resolve(functions.Connect, "httpConnect2");
        resolve(functions.SetTimeout, "httpSetTimeout");
        resolve(functions.Close, "httpClose");
        resolve(functions.GetValueTag, "ippGetValueTag");
        resolve(functions.GetCount, "ippGetCount");
        resolve(functions.GetResolution, "ippGetResolution");
        return complete ? &functions : nullptr;
    }();
    return cups;
}
