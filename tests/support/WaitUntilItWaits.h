// Waiting for a started program (the real Volumnia) to come to rest in its
// event loop, seen from outside through /proc: only then is its SIGTERM
// handler in place and a SIGTERM ends it the orderly way.
#pragma once

#include <QProcess>

#include <optional>

// Whether the program's main thread sleeps in an event loop: its SIGTERM
// handler is in place and the thread is blocked in poll(2). Nothing when the
// kernel does not tell (no /proc/<pid>/syscall, or not to this user).
std::optional<bool> InItsEventLoop(qint64 pid);

// Returns once the program waits in an event loop (three looks 20 ms apart
// agree), or has ended. Where the kernel does not show it, the program gets
// the 1.5 s a start takes at most. A test failure after 20 s of waiting.
void WaitUntilItWaits(QProcess& program);
