// Opening a document or a link with the desktop's default program. The
// result is deliberately not reported: callers give no feedback on failure.
#pragma once

#include <QString>

class IShell {
public:
    virtual ~IShell() = default;
    // A file name (relative to the working folder) or a URL such as "mailto:...".
    virtual void Open(const QString& target) = 0;
};
