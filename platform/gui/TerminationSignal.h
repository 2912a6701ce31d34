// Turns SIGTERM and SIGINT into an orderly end of the event loop, so that a
// session logout or a service manager ending the program still gets the
// normal end of the run (the main window writes its state back).
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
