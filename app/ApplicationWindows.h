// Creates the ten windows of Volumnia once each, in their fixed order, and
// destroys them in reverse order with the main window last. When the main
// window's start-up fails, no other window is made.
#pragma once

class TApplicationWindows {
public:
    TApplicationWindows();
    ~TApplicationWindows();
    TApplicationWindows(const TApplicationWindows&) = delete;
    TApplicationWindows& operator=(const TApplicationWindows&) = delete;

    // False when start-up failed and the program must end at once.
    bool Started() const;
};
