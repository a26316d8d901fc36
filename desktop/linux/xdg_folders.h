#pragma once

#include <filesystem>
#include <optional>

namespace tessaly::detail {

// $HOME when it is an absolute path, else empty.
std::filesystem::path Home_Folder();
// An XDG base folder: the variable's value when it is absolute (a relative
// one is ignored, as the base-directory rules say), else the fallback below
// the home folder; none without either.
std::optional<std::filesystem::path> Xdg_Base_Folder(const char* variable,
                                                     const char* fallback_below_home);
// $XDG_CONFIG_HOME (~/.config) and $XDG_DATA_HOME (~/.local/share).
std::optional<std::filesystem::path> Xdg_Config_Home();
std::optional<std::filesystem::path> Xdg_Data_Home();

}  // namespace tessaly::detail
