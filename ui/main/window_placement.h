#pragma once

#include <QRect>
#include <QSize>

#include <vector>

namespace tessaly {

// The outer frame a window is given for the frame it was stored with: as it
// is when it lies wholly on one of the screens' areas; otherwise moved, and
// shrunk to that area if need be, onto the screen it overlaps most (the
// nearest when it overlaps none), so that its title bar can be reached. The
// size never goes below the minimum. No areas: as it is.
QRect Fit_Onto_Screens(const QRect& frame, const std::vector<QRect>& areas, QSize minimum);

// The areas of the screens that windows may take, panels left out.
std::vector<QRect> Available_Screen_Areas();

}  // namespace tessaly
