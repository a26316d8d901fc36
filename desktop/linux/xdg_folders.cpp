#include "desktop/linux/xdg_folders.h"

#include <cstdlib>

namespace tessaly::detail {

std::filesystem::path Home_Folder() {
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::filesystem::path(home)
                                             : std::filesystem::path();
}

std::optional<std::filesystem::path> Xdg_Base_Folder(const char* variable,
                                                     const char* fallback_below_home) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return std::filesystem::path(value);
    }
    const std::filesystem::path home = Home_Folder();
    if (home.empty()) {
        return std::nullopt;
    }
    return home / fallback_below_home;
}

std::optional<std::filesystem::path> Xdg_Config_Home() {
    return Xdg_Base_Folder("XDG_CONFIG_HOME", ".config");
}

std::optional<std::filesystem::path> Xdg_Data_Home() {
    return Xdg_Base_Folder("XDG_DATA_HOME", ".local/share");
}

}  // namespace tessaly::detail
