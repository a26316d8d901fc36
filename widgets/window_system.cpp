#include "widgets/window_system.h"

namespace tessaly {

bool Compositor_Places_Windows(const QString& platform) {
    return platform.startsWith(QLatin1String("wayland"));
}

}  // namespace tessaly
