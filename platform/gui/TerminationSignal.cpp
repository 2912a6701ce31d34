#include "platform/gui/TerminationSignal.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The self-pipe: the signal handler may only write a byte; the event loop
// reads it and does the real work.
int Pipe[2] = {-1, -1};

// SIGHUP too: closing the terminal Volumnia was started from ends the run in
// order, not by the default action, which would skip the end-of-run saves.
constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void OnTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(Pipe[1], &byte, 1);
}

} // namespace

TTerminationSignal::TTerminationSignal(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), OnSignal(std::move(onSignal))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, Pipe) != 0)
        return;
    Notifier = new QSocketNotifier(Pipe[0], QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(Pipe[0], &byte, 1);
        if (OnSignal)
            OnSignal();
    });
    struct sigaction action = {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : Signals)
        sigaction(signal, &action, nullptr);
}

TTerminationSignal::~TTerminationSignal()
{
    for (const int number : Signals)
        signal(number, SIG_DFL);
    if (Pipe[0] >= 0) {
        ::close(Pipe[0]);
        ::close(Pipe[1]);
        Pipe[0] = Pipe[1] = -1;
    }
}
