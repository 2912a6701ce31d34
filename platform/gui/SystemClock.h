// The computer's own clock.
#pragma once

#include "platform/gui/Clock.h"

class TSystemClock : public IClock {
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};
