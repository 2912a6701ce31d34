#include "tests/support/WaitUntilItWaits.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/syscall.h>

// main() installs the handler before it makes the windows; from then on the
// main thread polls only in the loop of a start-up message box or of the main
// window, and a SIGTERM ends either the orderly way.
std::optional<bool> InItsEventLoop(qint64 pid)
{
    const std::string proc = "/proc/" + std::to_string(pid);
    std::ifstream call(proc + "/syscall");
    std::string number;
    if (!(call >> number))
        return std::nullopt;
    bool polling = false;
#ifdef SYS_poll
    polling = number == std::to_string(SYS_poll);
#endif
    polling = polling || number == std::to_string(SYS_ppoll);
    if (!polling)
        return false;
    std::ifstream status(proc + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) == 0) {
            unsigned long long caught = 0;
            std::istringstream(line.substr(7)) >> std::hex >> caught;
            return (caught >> (SIGTERM - 1) & 1) != 0;
        }
    }
    return false;
}

void WaitUntilItWaits(QProcess& program)
{
    QElapsedTimer waited;
    waited.start();
    int agreeing = 0;
    while (program.state() == QProcess::Running && agreeing < 3) {
        const std::optional<bool> waiting = InItsEventLoop(program.processId());
        if (!waiting) {
            QThread::msleep(static_cast<unsigned long>(std::max<qint64>(0, 1500 - waited.elapsed())));
            return;
        }
        agreeing = *waiting ? agreeing + 1 : 0;
        if (waited.elapsed() > 20000) {
            ADD_FAILURE() << "the program does not come to wait in an event loop";
            return;
        }
        QThread::msleep(20);
    }
}
