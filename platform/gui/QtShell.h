// Opens documents and links through QDesktopServices.
#pragma once

#include "platform/gui/Shell.h"

class TQtShell : public IShell {
public:
    void Open(const QString& target) override;
};
