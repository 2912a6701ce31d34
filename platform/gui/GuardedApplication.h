// A QApplication whose event delivery is the last line of the guard: any
// exception a handler let through is shown by the application-wide error
// handler instead of crossing the event loop.
#pragma once

#include <QApplication>

class TGuardedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};
