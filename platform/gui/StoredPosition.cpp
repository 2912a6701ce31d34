#include "platform/gui/StoredPosition.h"

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
    if (watched == &Window && CheckWhenFramed &&
        (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint || type == QEvent::WindowActivate)) {
        const QWindow* native = Window.windowHandle();
        // Once framed, where the window manager put the window as asked, the
        // frame's real size decides; a window the user has moved meanwhile
        // is left where it is.
        if (native && native->isVisible() && !native->frameMargins().isNull()) {
            CheckWhenFramed = false;
            if (Where && Window.pos() == *Where)
                Where = DesktopWindow::PlaceFrameOnScreen(Window, *Where);
        }
    }
    if (watched == &Window && CentreWhenFramed &&
        (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint || type == QEvent::WindowActivate)) {
        const QWindow* native = Window.windowHandle();
        if (native && native->isVisible() && !native->frameMargins().isNull()) {
            CentreWhenFramed = false;
            if (Where && Window.pos() == *Where) {
                DesktopWindow::CentreOnScreen(Window);
                Where = Window.pos();
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
