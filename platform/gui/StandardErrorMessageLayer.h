// Messages for a run that is ending on a signal: nobody may be there to press
// OK, so nothing waits. Each text goes to the standard error stream, a
// question is answered No.
#pragma once

#include "platform/gui/MessageLayer.h"

class TStandardErrorMessageLayer : public IMessageLayer {
public:
    void Information(const QString& text) override;
    void Error(const QString& text) override;
    bool Question(const QString& text) override;
};
