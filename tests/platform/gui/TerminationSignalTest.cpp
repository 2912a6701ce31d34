// The signals that end a run in order: each reaches the callback on the GUI
// thread, from the event loop, instead of ending the program on the spot.
#include "platform/gui/TerminationSignal.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

TEST(TerminationSignal, TermIntAndHangUpEachEndTheRunInOrder)
{
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(number);
        int heard = 0;
        TTerminationSignal termination([&heard] { ++heard; });
        ASSERT_EQ(::raise(number), 0); // the default action would end this test program
        QElapsedTimer waited;
        waited.start();
        while (heard == 0 && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        EXPECT_EQ(heard, 1);
    }
}

} // namespace
