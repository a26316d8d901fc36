#pragma once

#include <QIcon>
#include <QImage>

#include <vector>

namespace tessaly {

// A glyph's two states: the drawing as it is, and a light grey copy of the
// same shape for a disabled button.
QIcon Make_Two_State_Icon(const QImage& normal);
// The same drawing at several sizes, each with its grey copy.
QIcon Make_Two_State_Icon(const std::vector<QImage>& sizes);

}  // namespace tessaly
