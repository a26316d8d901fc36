#pragma once

#include <QIcon>
#include <QImage>

#include <functional>
#include <vector>

namespace tessaly {

// A glyph's two states: the drawing as it is, and a light grey copy of the
// same shape for a disabled button.
QIcon Make_Two_State_Icon(const QImage& normal);
// The same drawing at several sizes, each with its grey copy.
QIcon Make_Two_State_Icon(const std::vector<QImage>& sizes);
// The same, each size drawn by `draw` only when something first shows it:
// a window that shows one size pays for that one. As with pictures, the
// smallest size that fills the room asked for is used (the largest when none
// does), scaled down to fit, never up.
QIcon Make_Two_State_Icon(std::vector<int> sides, std::function<QImage(int side)> draw);

}  // namespace tessaly
