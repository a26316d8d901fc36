#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace tessaly::detail {

// The folder a user-dirs.dirs text gives for the key ("XDG_DESKTOP_DIR"):
// a quoted "$HOME/..." or absolute path. None when the key is missing or
// its value is neither.
std::optional<std::filesystem::path> Xdg_User_Dir(std::string_view user_dirs, std::string_view key,
                                                  const std::filesystem::path& home);

}  // namespace tessaly::detail
