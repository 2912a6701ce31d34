// The font configuration loaded ahead on a thread of its own: the program
// waits for it only while it is worth waiting, and never hangs on a thread
// a busy machine does not let run.
#include "platform/gui/FontConfigPreload.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>

namespace {

TEST(FontConfigPreload, WaitsForFinishedWorkButNotForStarvedWork)
{
    std::atomic<bool> ran{false};
    {
        TFontConfigPreload preload([&ran] { ran = true; });
        EXPECT_TRUE(preload.Wait(std::chrono::seconds(30)));
        EXPECT_TRUE(ran);
    }

    // Work that cannot finish yet, as on a machine with no idle time: the
    // wait gives up, and so does the end of the preload.
    auto release = std::make_shared<std::promise<void>>();
    auto finished = std::make_shared<std::promise<void>>();
    std::future<void> finishedLater = finished->get_future();
    {
        TFontConfigPreload preload([gate = release->get_future().share(), finished] {
            gate.wait();
            finished->set_value();
        });
        EXPECT_FALSE(preload.Wait(std::chrono::milliseconds(10)));
    }
    // The thread left running ends on its own once it can.
    release->set_value();
    EXPECT_EQ(finishedLater.wait_for(std::chrono::seconds(30)), std::future_status::ready);
}

} // namespace
