// The system's font configuration, started ahead. Before a Qt program on
// Linux draws its first text, fontconfig reads its configuration files and
// loads the caches of every installed font: the largest single cost of the
// first window, and one that needs nothing from Qt. Made before the
// application object, this runs it on a thread of its own while the program
// connects to the display; Qt's font database then finds it done.
//
// The thread runs at idle priority: while the program waits for the display
// server's replies, the work fills the processors' idle time instead of
// delaying the display server and the program's own threads. On a machine
// busy enough to starve it, the wait is bounded: fontconfig lets two threads
// race to load the configuration (the loser's copy is dropped), so Qt then
// loads it itself, as it would without this.
// Where the library cannot be loaded, nothing is done ahead.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TFontConfigPreload {
public:
    static constexpr std::chrono::milliseconds DefaultLimit{25};

    TFontConfigPreload();
    // Runs other work the same way (tests).
    explicit TFontConfigPreload(std::function<void()> work);
    // Waits for the thread only if it is done; otherwise leaves it to finish
    // on its own.
    ~TFontConfigPreload();
    TFontConfigPreload(const TFontConfigPreload&) = delete;
    TFontConfigPreload& operator=(const TFontConfigPreload&) = delete;

    // Waits until the configuration is loaded, at most the limit; true when
    // it is. Called before the first font is looked up, so that Qt finds it
    // loaded instead of loading it again.
    bool Wait(std::chrono::milliseconds limit = DefaultLimit);

private:
    struct TState {
        std::mutex Lock;
        std::condition_variable Changed;
        bool Done = false;
    };
    std::shared_ptr<TState> State = std::make_shared<TState>();
    std::thread Loader;
};
