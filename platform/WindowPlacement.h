// Where a window's frame goes so that the user can reach it: a wanted place
// is kept where the frame lies wholly on one screen's available area, and
// otherwise the frame is moved the least distance that puts it wholly on the
// nearest area (its top-left edge on that area when it is larger).
#pragma once

#include <QPoint>
#include <QRect>

#include <vector>

namespace WindowPlacement {

// The top-left corner for the frame: the frame's own corner where it lies
// wholly on one of the areas (or where there are no areas), else the nearest
// corner that puts it on an area. Among areas the shortest move wins; on a
// tie, the earlier area.
QPoint OnScreen(const QRect& frame, const std::vector<QRect>& areas);

// Whether a window reported at corner stands where it was placed: the same
// point, give or take the pixel a fractional scale rounds a position by.
bool StandsAt(const QPoint& corner, const QPoint& placed);

} // namespace WindowPlacement
