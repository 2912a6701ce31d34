// The system's font configuration, started ahead. Before a Qt program on
// Linux draws its first text, fontconfig reads its configuration files and
// loads the caches of every installed font: the largest single cost of the
// first window, and one that needs nothing from Qt. Made before the
// application object, this runs it on a thread of its own while the program
// connects to the display; Qt's font database then finds it done.
// Where the library cannot be loaded, nothing is done ahead.
#pragma once

#include <thread>

class TFontConfigPreload {
public:
    TFontConfigPreload();
    ~TFontConfigPreload();
    TFontConfigPreload(const TFontConfigPreload&) = delete;
    TFontConfigPreload& operator=(const TFontConfigPreload&) = delete;

    // Waits until the configuration is loaded. Called before the first font
    // is looked up, so that Qt finds it loaded instead of waiting on it.
    void Wait();

private:
    std::thread Loader;
};
