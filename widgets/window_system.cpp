#include "widgets/window_system.h"

namespace tessaly {

namespace {

bool Is_Wayland(const QString& platform) {
    return platform.startsWith(QLatin1String("wayland"));
}

}  // namespace

bool Window_Positions_Known(const QString& platform) {
    return !Is_Wayland(platform);
}

bool Stays_On_Top_Possible(const QString& platform) {
    return !Is_Wayland(platform);
}

}  // namespace tessaly
