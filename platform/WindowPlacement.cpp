#include "platform/WindowPlacement.h"

#include <cstdint>
#include <limits>

namespace WindowPlacement {

namespace {

// The start of a span of that length moved the least onto the range's span;
// a span longer than the range starts at the range's start.
int Clamp(int start, int length, int rangeStart, int rangeLength)
{
    if (length >= rangeLength)
        return rangeStart;
    const int last = rangeStart + rangeLength - length;
    return start < rangeStart ? rangeStart : start > last ? last : start;
}

} // namespace

QPoint OnScreen(const QRect& frame, const std::vector<QRect>& areas)
{
    QPoint best = frame.topLeft();
    int64_t bestDistance = std::numeric_limits<int64_t>::max();
    for (const QRect& area : areas) {
        if (area.isEmpty())
            continue;
        if (area.contains(frame))
            return frame.topLeft();
        const QPoint corner(Clamp(frame.x(), frame.width(), area.x(), area.width()),
                            Clamp(frame.y(), frame.height(), area.y(), area.height()));
        const int64_t dx = int64_t(corner.x()) - frame.x();
        const int64_t dy = int64_t(corner.y()) - frame.y();
        const int64_t distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = corner;
        }
    }
    return best;
}

bool StandsAt(const QPoint& corner, const QPoint& placed)
{
    // At 1.5 a device pixel is two thirds of a pixel: a position read back
    // from the device may round to the next pixel either way.
    const QPoint off = corner - placed;
    return off.x() >= -1 && off.x() <= 1 && off.y() >= -1 && off.y() <= 1;
}

} // namespace WindowPlacement
