// The frame the modeless windows share (the book browser and the Loans
// window): a fixed-size window with a minimise and a close box in the
// windows' face, a frame to a screen reader, named by its caption; its place
// kept through the stored-position code the main window uses (put back on a
// screen at any scale, never stored where the platform cannot tell where a
// window is); the end of the run, when a window closed on the way out is not
// closed by the user; for a window given an owner, stacking above it; and,
// for a window that asks, a dialog's Enter and Escape.
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class TRFileSystem;
class TRunState;
class TStoredPosition;

class TModelessWindow : public QWidget {
    Q_OBJECT

public:
    // A window given a stacking owner is kept above it (a transient window,
    // which X11 window managers keep only for the dialog type).
    TModelessWindow(TRunState& run, const QString& caption, int width, int height, QWidget* stackingOwner = nullptr);
    // Keeps a place moved to since the last write, for a window with kept keys.
    ~TModelessWindow() override;

    TStoredPosition& Position() { return *FPosition; }

protected:
    // Writes the place to store through write and marks it stored; nothing
    // where the platform cannot tell it. Only when the window moved since its
    // place was set or stored, when onlyWhenMoved.
    void StorePlace(const std::function<void(const QPoint&)>& write, bool onlyWhenMoved);

    // Keeps the window's place in two keys of its own, which installations
    // made before the window lack: its first showing takes them (a missing or
    // unreadable place leaves it centred), a close or the end of the run
    // writes them in one save when the user moved it, "Restore windows"
    // centres it and replaces a place kept.
    void KeepPlaceIn(TRFileSystem& settings, const char* keyX, const char* keyY);

    // Keys as in a dialog: Enter presses the focused button, Escape closes.
    void UseDialogKeys() { DialogKeys = true; }

    // The user closes the window; may raise, and the window then stays open.
    // A window with kept keys writes its place when moved.
    virtual void FormClose();
    // "Restore windows": the window goes to its default place.
    virtual void RestoreDefaultPlace();

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    TRunState& Run;

private:
    void PlaceFromKept();
    void WriteKeptPlace(bool onlyWhenMoved);

    TStoredPosition* FPosition = nullptr;
    TRFileSystem* KeptIn = nullptr;
    const char* KeyX = nullptr;
    const char* KeyY = nullptr;
    bool Placed = false;
    bool DialogKeys = false;
    QPointer<QWidget> Owner;
};
