// "Now", behind an interface so that tests can fix the date and time.
#pragma once

#include <QDateTime>

class IClock {
public:
    virtual ~IClock() = default;
    virtual QDateTime Now() const = 0;
};
