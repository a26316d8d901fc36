#pragma once

#include <QIcon>
#include <QImage>

namespace tessaly {

// A glyph's two states: the drawing as it is, and a light grey copy of the
// same shape for a disabled button.
QIcon Make_Two_State_Icon(const QImage& normal);

}  // namespace tessaly
