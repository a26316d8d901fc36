#include "desktop/linux/xdg_folders.h"

#include <cstdlib>

#include "core/program_folders.h"

namespace tessaly::detail {

std::filesystem::path Home_Folder() {
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::filesystem::path(home)
                                             : std::filesystem::path();
}

std::optional<std::filesystem::path> Xdg_Base_Folder(const char* variable,
                                                     const char* fallback_below_home) {
    const char* value = std::getenv(variable);
    const std::filesystem::path home = Home_Folder();
    const std::filesystem::path folder =
        Base_Folder(value != nullptr ? std::optional<std::filesystem::path>(value) : std::nullopt,
                    home.empty() ? std::filesystem::path() : home / fallback_below_home);
    if (folder.empty()) {
        return std::nullopt;
    }
    return folder;
}

std::optional<std::filesystem::path> Xdg_Config_Home() {
    return Xdg_Base_Folder("XDG_CONFIG_HOME", ".config");
}

std::optional<std::filesystem::path> Xdg_Data_Home() {
    return Xdg_Base_Folder("XDG_DATA_HOME", ".local/share");
}

}  // namespace tessaly::detail
