// TRunState: the few facts of the run that more than one window acts on,
// kept by their owners and read by the others: whether the run is ending,
// whether the main window is editing a book, whether the book browser is
// shown. Windows are given it when made; none asks another window.
#pragma once

#include <QObject>

class TRunState : public QObject {
    Q_OBJECT

public:
    // Set once the run is ending (close box, Exit, a termination signal), so
    // that windows closed on the way out do not act as if the user closed them.
    bool Ending = false;
    // The main window edits or adds a book: its boxes hold unsaved text.
    bool Editing = false;

    bool BrowserShown() const { return FBrowserShown; }
    void SetBrowserShown(bool shown)
    {
        if (shown == FBrowserShown)
            return;
        FBrowserShown = shown;
        emit BrowserShownChanged(shown);
    }

    // "Restore windows": the main window stored the default places; each
    // modeless window goes to its own.
    void RestoreWindows() { emit WindowsRestored(); }

signals:
    void BrowserShownChanged(bool shown);
    void WindowsRestored();

private:
    bool FBrowserShown = false;
};
