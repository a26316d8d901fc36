#pragma once

#include <QString>

namespace tessaly {

// Under Wayland the compositor alone places, stacks and raises windows: a
// program can neither learn nor choose where its windows are, keep one above
// the others, or bring one forward without a token from the desktop. The
// platform is Qt's platform plugin name.
bool Compositor_Places_Windows(const QString& platform);

}  // namespace tessaly
