// Where a dialog of the program lives: made on its first use, then kept for
// the rest of the run, so that what it showed stays for its next opening.
// Most runs open few dialogs or none; making all eight at start cost as much
// as the main window itself. The slot reads like the window's pointer:
// *dlgAbout, dlgAbout->btnOk, and a QWidget* where one is needed.
#pragma once

template <typename T> class TWindowSlot {
public:
    using TMaker = T* (*)();

    // Arms the slot: the window is made by Maker when it is first reached.
    void Arm(TMaker maker) { Maker = maker; }

    // The window, made now if it was not yet; null while the slot is not armed.
    T* Get()
    {
        if (!Window && Maker)
            Window = Maker();
        return Window;
    }
    T& operator*() { return *Get(); }
    T* operator->() { return Get(); }
    operator T*() { return Get(); }

    // Whether the window has been made.
    bool Made() const { return Window != nullptr; }

    // Ends the slot: the window, if made, is deleted and no other will be made.
    void Destroy()
    {
        T* window = Window;
        Window = nullptr;
        Maker = nullptr;
        delete window;
    }

private:
    TMaker Maker = nullptr;
    T* Window = nullptr;
};
