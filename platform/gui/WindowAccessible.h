// The face a top-level window made from a plain widget turns to assistive
// technology: a window (a frame to AT-SPI) named by its caption. Qt gives such
// a widget the face of a plain client area, which a screen reader does not
// announce as a window.
#pragma once

class QWidget;

namespace WindowAccessible {

// Gives the window this face from now on.
void Attach(QWidget* window);

} // namespace WindowAccessible
