#include "platform/gui/DesktopWindow.h"

#include "platform/WindowPlacement.h"

#include <QGuiApplication>
#include <QPoint>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <cmath>

namespace DesktopWindow {

namespace {

std::optional<bool> PositionsKnownOverride;

// The frame's size: before the window manager has framed the window, the
// window's own size (the frame is not known yet).
QRect FrameAt(const QWidget& window, const QPoint& topLeft)
{
    return QRect(topLeft, window.frameGeometry().size());
}

// A screen's available area in the window's pixels. At a fractional scale
// (1.5) a frame's size is rounded down to whole pixels and its device
// position either way, so a frame placed flush with the bottom or right edge
// could end a device pixel past it: the area keeps a pixel's margin there.
QRect AvailableArea(const QScreen& screen)
{
    QRect area = screen.availableGeometry();
    const qreal ratio = screen.devicePixelRatio();
    if (ratio != std::floor(ratio))
        area.adjust(0, 0, -1, -1);
    return area;
}

std::vector<QRect> AvailableAreas()
{
    std::vector<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.push_back(AvailableArea(*screen));
    return areas;
}

} // namespace

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
    const QRect area = AvailableArea(*screen);
    const QPoint centred(area.x() + (area.width() - frame.width()) / 2,
                         area.y() + (area.height() - frame.height()) / 2);
    MoveFrameTo(window, WindowPlacement::OnScreen(QRect(centred, frame.size()), {area}));
}

QPoint PlaceFrameOnScreen(QWidget& window, const QPoint& topLeft)
{
    const QPoint corner = WindowPlacement::OnScreen(FrameAt(window, topLeft), AvailableAreas());
    MoveFrameTo(window, corner);
    return corner;
}

bool PositionsKnown()
{
    if (PositionsKnownOverride)
        return *PositionsKnownOverride;
    // "wayland", and its variants such as "wayland-egl".
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void OverridePositionsKnown(std::optional<bool> known)
{
    PositionsKnownOverride = known;
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
