// Top-level windows on a desktop whose window manager frames them. A stored
// window position is the top-left corner of the frame (title bar and border
// included), which is what QWidget::pos() reports once the window is framed.
#pragma once

#include <optional>

class QPoint;
class QWidget;

namespace DesktopWindow {

// Puts the top-left corner of the window's frame at the point, also before
// the window manager has framed the window (Qt then knows no frame yet, and a
// plain move would put the client area there).
void MoveFrameTo(QWidget& window, const QPoint& topLeft);

// Centres the window's frame on the available area of its screen (its
// top-left edge on that area when the frame is larger).
void CentreOnScreen(QWidget& window);

// Puts the frame's corner at the point where the frame then lies wholly on
// some screen's available area, otherwise the least distance from there that
// puts it wholly on the nearest screen. Returns the corner used.
QPoint PlaceFrameOnScreen(QWidget& window, const QPoint& topLeft);

// False on a platform whose windows cannot know where they are (Qt's Wayland
// platform: a client neither sets nor learns its place on the screen), where
// a position read from a window is a guess that must not be stored.
bool PositionsKnown();

// For tests: positions taken as known or not whatever the platform; nullopt
// gives the platform's answer back.
void OverridePositionsKnown(std::optional<bool> known);

// Keeps the window above all ordinary windows, or ends that, keeping the
// native window: no new window, no hide and show.
void SetStaysOnTop(QWidget& window, bool onTop);

// Makes the window (a dialog or a message box) owned by the owner: the window
// manager keeps it above its owner, also above an owner kept on top. Call it
// before the window is shown.
void SetOwner(QWidget& window, QWidget* owner);

} // namespace DesktopWindow
