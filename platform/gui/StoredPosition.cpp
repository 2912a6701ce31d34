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

std::optional<QPoint> TStoredPosition::ToStore() const
{
    if (!DesktopWindow::PositionsKnown())
        return std::nullopt;
    if (Held && Where && Window.pos() == *Where)
        return Held;
    return Window.pos();
}

void TStoredPosition::Stored(const QPoint& point)
{
    Held = point;
    Where = Window.pos();
    CheckWhenFramed = false;
}

bool TStoredPosition::MovedSinceStored() const
{
    return DesktopWindow::PositionsKnown() && Where && Window.pos() != *Where;
}

bool TStoredPosition::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &Window && CheckWhenFramed && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
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
    return QObject::eventFilter(watched, event);
}
