// Top-level windows on a desktop whose window manager frames them. A stored
// window position is the top-left corner of the frame (title bar and border
// included), which is what QWidget::pos() reports once the window is framed.
#pragma once

class QPoint;
class QWidget;

namespace DesktopWindow {

// Puts the top-left corner of the window's frame at the point, also before
// the window manager has framed the window (Qt then knows no frame yet, and a
// plain move would put the client area there).
void MoveFrameTo(QWidget& window, const QPoint& topLeft);

// Centres the window's frame on the available area of its screen.
void CentreOnScreen(QWidget& window);

// Keeps the window above all ordinary windows, or ends that, keeping the
// native window: no new window, no hide and show.
void SetStaysOnTop(QWidget& window, bool onTop);

// Makes the window (a dialog or a message box) owned by the owner: the window
// manager keeps it above its owner, also above an owner kept on top. Call it
// before the window is shown.
void SetOwner(QWidget& window, QWidget* owner);

} // namespace DesktopWindow
