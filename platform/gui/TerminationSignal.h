// Turns SIGTERM, SIGINT and SIGHUP into an orderly end of the event loop, so
// that a session logout, a service manager or the closing of the terminal it
// was started from still gives the normal end of the run (the main window
// writes its state back).
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

class TTerminationSignal : public QObject {
public:
    // onSignal runs on the GUI thread, from the event loop.
    explicit TTerminationSignal(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TTerminationSignal() override;

private:
    std::function<void()> OnSignal;
    QSocketNotifier* Notifier = nullptr;
};
