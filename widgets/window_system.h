#pragma once

#include <QString>

namespace tessaly {

// Under Wayland the compositor alone places windows: a program can neither
// learn nor choose where its windows are, nor keep one above the others.
// The platform is Qt's platform plugin name.
bool Window_Positions_Known(const QString& platform);
bool Stays_On_Top_Possible(const QString& platform);

}  // namespace tessaly
