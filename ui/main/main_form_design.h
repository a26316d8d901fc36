#pragma once

#include <QFont>

namespace tessaly {

// The design's font, sized in pixels so that the window scales alike on
// every screen.
QFont Design_Font(int pixels, bool bold = false);

}  // namespace tessaly
