// A top-level window's place as the settings keep it: the frame's top-left
// corner. Placing the window from a stored point keeps the frame on a screen
// (a point off every screen, from another monitor or another scale, moves the
// window the least that puts it on the nearest one), but the stored point
// stays what is stored until the user moves the window: a window that was
// only put back on screen stores the point it was given, not where it landed.
// Where the platform cannot know a window's place (Wayland), nothing is
// offered for storing.
#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>

#include <optional>

class QWidget;

class TStoredPosition : public QObject {
public:
    explicit TStoredPosition(QWidget& window);

    // Places the window from the stored point, which is then the point held.
    void PlaceAt(const QPoint& stored);
    // Centres the window where no point is stored: nothing is held, and the
    // window counts as moved only once it stands elsewhere.
    void Centre();

    // The point to store now: the stored one while the window stands where
    // it was placed or last stored, else the frame's corner; nullopt where
    // positions are not known.
    std::optional<QPoint> ToStore() const;

    // The settings now hold the point for the window.
    void Stored(const QPoint& point);

    // Whether the window stands elsewhere than where it was placed or last
    // stored (false before either, and where positions are not known).
    bool MovedSinceStored() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPoint FrameCorner() const;

    QWidget& Window;
    QMargins LastMargins;        // the frame's, as last known
    std::optional<QPoint> Held;  // what the settings hold for the window
    std::optional<QPoint> Where; // where the window stood when that was so
    // Placed before the window manager framed the window: the frame's size
    // was a guess, so the place is checked again once the frame is known.
    bool CheckWhenFramed = false;
    // Centred before the window manager framed the window: centred again with
    // the frame's real size once it is known.
    bool CentreWhenFramed = false;
};
