#include "platform/gui/StoredPosition.h"

#include "platform/WindowPlacement.h"
#include "platform/gui/DesktopWindow.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

TStoredPosition::TStoredPosition(QWidget& window) : QObject(&window), Window(window)
{
    Window.installEventFilter(this);
}

void TStoredPosition::PlaceAt(const QPoint& stored)
{
    Held = stored;
    if (!DesktopWindow::PositionsKnown()) {
        Where.reset();
        return;
    }
    Where = DesktopWindow::PlaceFrameOnScreen(Window, stored);
    const QWindow* native = Window.windowHandle();
    CheckWhenFramed = !native || !native->isVisible() || native->frameMargins().isNull();
    CentreWhenFramed = false;
}

void TStoredPosition::Centre()
{
    Held.reset();
    DesktopWindow::CentreOnScreen(Window);
    if (!DesktopWindow::PositionsKnown()) {
        Where.reset();
        return;
    }
    Where = FrameCorner();
    const QWindow* native = Window.windowHandle();
    CheckWhenFramed = false;
    CentreWhenFramed = !native || !native->isVisible() || native->frameMargins().isNull();
}

QPoint TStoredPosition::FrameCorner() const
{
    // Shown again, a window is framed anew, and until the window manager has
    // told the frame Qt takes the client area's corner for the frame's; the
    // frame it had stands in for it.
    const QWindow* native = Window.windowHandle();
    if (native && native->frameMargins().isNull() && !LastMargins.isNull())
        return Window.geometry().topLeft() - QPoint(LastMargins.left(), LastMargins.top());
    return Window.pos();
}

std::optional<QPoint> TStoredPosition::ToStore() const
{
    if (!DesktopWindow::PositionsKnown())
        return std::nullopt;
    const QPoint corner = FrameCorner();
    if (Held && Where && corner == *Where)
        return Held;
    return corner;
}

void TStoredPosition::Stored(const QPoint& point)
{
    Held = point;
    Where = FrameCorner();
    CheckWhenFramed = false;
    CentreWhenFramed = false;
}

bool TStoredPosition::MovedSinceStored() const
{
    return DesktopWindow::PositionsKnown() && Where && FrameCorner() != *Where;
}

bool TStoredPosition::eventFilter(QObject* watched, QEvent* event)
{
    // The frame becomes known some time after the window is mapped, with no
    // event of its own: the events that follow the mapping look for it.
    const QEvent::Type type = event->type();
    if (watched == &Window && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint)) {
        if (const QWindow* native = Window.windowHandle(); native && native->isVisible()) {
            const QMargins margins = native->frameMargins();
            if (!margins.isNull())
                LastMargins = margins;
        }
    }
    if (watched == &Window && (CheckWhenFramed || CentreWhenFramed) &&
        (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint || type == QEvent::WindowActivate)) {
        const QWindow* native = Window.windowHandle();
        // Once framed and standing where it was put, the frame's real size
        // decides. The frame's size may be told before the window manager
        // has moved the frame there: until it stands there, this waits (a
        // window no one could yet have moved), rather than giving up on a
        // place that would leave the frame's bottom below the screen.
        if (native && native->isVisible() && !native->frameMargins().isNull() && Where &&
            WindowPlacement::StandsAt(Window.pos(), *Where)) {
            if (CheckWhenFramed) {
                Where = DesktopWindow::PlaceFrameOnScreen(Window, *Where);
            } else {
                DesktopWindow::CentreOnScreen(Window);
                Where = Window.pos();
            }
            CheckWhenFramed = false;
            CentreWhenFramed = false;
        }
    }
    return QObject::eventFilter(watched, event);
}
