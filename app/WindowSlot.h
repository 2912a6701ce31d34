// Where a dialog of the program lives: made on its first use, then kept for
// the rest of the run, so that what it showed stays for its next opening.
// Most runs open few dialogs or none; making all eight at start cost as much
// as the main window itself. The slot reads like the window's pointer:
// *dlgAbout, dlgAbout->btnOk, and a QWidget* where one is needed. Dialog()
// hands the window out as a plain QDialog, so that code which only runs it
// needs no more than the slot's forward declaration of its class.
#pragma once

#include <functional>

class QDialog;

template <typename T> class TWindowSlot {
public:
    // Makes the window and gives it also as a QDialog (the maker knows the
    // window's class, which the slot's users need not).
    using TMaker = std::function<T*(QDialog*& asDialog)>;

    // Arms the slot: the window is made by Maker when it is first reached.
    void Arm(TMaker maker) { Maker = std::move(maker); }

    // The window, made now if it was not yet; null while the slot is not armed.
    T* Get()
    {
        if (!Window && Maker)
            Window = Maker(AsDialog);
        return Window;
    }
    T& operator*() { return *Get(); }
    T* operator->() { return Get(); }
    operator T*() { return Get(); }

    // The window as a plain dialog, made now if it was not yet. The slot must
    // be armed.
    QDialog& Dialog()
    {
        Get();
        return *AsDialog;
    }

    // Whether the window has been made.
    bool Made() const { return Window != nullptr; }

    // Ends the slot: the window, if made, is deleted and no other will be made.
    void Destroy()
    {
        T* window = Window;
        Window = nullptr;
        AsDialog = nullptr;
        Maker = nullptr;
        delete window;
    }

private:
    TMaker Maker;
    T* Window = nullptr;
    QDialog* AsDialog = nullptr;
};
