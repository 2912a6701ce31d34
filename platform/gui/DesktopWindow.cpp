#include "platform/gui/DesktopWindow.h"

#include <QPoint>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace DesktopWindow {

void MoveFrameTo(QWidget& window, const QPoint& topLeft)
{
    window.move(topLeft);
    // A window that is not on screen is placed by the window manager when it
    // is mapped; telling the native window that the point is its frame's
    // makes the window manager put the frame there (rather than the client
    // area, the frame not being known yet). A window on screen already has
    // its frame, and move() allowed for it.
    QWindow* native = window.windowHandle();
    if (native && !native->isVisible())
        native->setFramePosition(topLeft);
}

void CentreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    // Before the window is framed the frame is as large as the window.
    const QRect frame = window.frameGeometry();
    const QRect area = screen->availableGeometry();
    MoveFrameTo(window,
                QPoint(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2));
}

void SetStaysOnTop(QWidget& window, bool onTop)
{
    Qt::WindowFlags flags = window.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    // QWidget::setWindowFlags would destroy the native window and make a new
    // one (hidden); the native window takes the hint as it is.
    window.overrideWindowFlags(flags);
    if (QWindow* native = window.windowHandle())
        native->setFlags(flags);
}

void SetOwner(QWidget& window, QWidget* owner)
{
    if (!owner || owner == &window || !owner->windowHandle())
        return;
    window.winId(); // the native window, made now so that it can take its owner
    if (QWindow* native = window.windowHandle())
        native->setTransientParent(owner->window()->windowHandle());
}

} // namespace DesktopWindow
