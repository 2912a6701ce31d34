// The windows place their controls by hand for Tahoma 8 pt. Where the system
// substitutes a wider face, a caption may need more room than its control
// has; FitWindow then grows just those controls, keeping every window's size.
// A control grows to the right into free space; a row of controls that runs
// out of it moves apart, and back from the parent's right edge, as far as the
// row's own margins allow. Data labels, which shorten their text themselves,
// give up room from their left edge instead of moving.
#pragma once

class QWidget;

namespace TextFit {

// The width the control needs to show its whole caption, or 0 for a control
// without one.
int NeededWidth(const QWidget* control);

// Fits the captions of every control below the window that is placed by hand
// (not by a layout).
void FitWindow(QWidget* window);

} // namespace TextFit
