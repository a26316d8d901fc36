#include "desktop/linux/linux_shell_folders.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "desktop/linux/linux_services.h"

namespace tessaly {

namespace detail {

std::optional<std::filesystem::path> Xdg_User_Dir(std::string_view user_dirs, std::string_view key,
                                                  const std::filesystem::path& home) {
    std::optional<std::filesystem::path> folder;
    std::istringstream lines{std::string(user_dirs)};
    std::string line;
    // The last assignment of the key counts, as when the shell sources it.
    while (std::getline(lines, line)) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#' ||
            line.compare(start, key.size(), key) != 0 || line.size() <= start + key.size() ||
            line[start + key.size()] != '=') {
            continue;
        }
        std::string value = line.substr(start + key.size() + 1);
        while (!value.empty() &&
               (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) {
            value.pop_back();
        }
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') {
            continue;
        }
        value = value.substr(1, value.size() - 2);
        const std::string home_prefix = "$HOME";
        if (value == home_prefix) {
            folder = home;
        } else if (value.compare(0, home_prefix.size() + 1, home_prefix + "/") == 0) {
            folder = home / value.substr(home_prefix.size() + 1);
        } else if (!value.empty() && value.front() == '/') {
            folder = std::filesystem::path(value);
        }
    }
    return folder;
}

}  // namespace detail

namespace {

// An XDG base folder from its variable; relative values are to be ignored.
std::optional<std::filesystem::path> Base_Folder(const char* variable,
                                                 const std::filesystem::path& home,
                                                 const char* fallback) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return std::filesystem::path(value);
    }
    if (home.empty()) {
        return std::nullopt;
    }
    return home / fallback;
}

std::filesystem::path Home() {
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::filesystem::path(home)
                                             : std::filesystem::path();
}

// The desktop folder from the XDG user folders; the applications folder is
// where menu entries go. The desktop has no start menu apart from it and no
// Send To menu. Shortcuts as menu entries arrive with the desktop
// integration.
class Linux_Shell_Folders final : public Shell_Folders {
public:
    std::optional<std::filesystem::path> Folder(Shell_Folder folder) override {
        const std::filesystem::path home = Home();
        switch (folder) {
            case Shell_Folder::Desktop: {
                if (home.empty()) {
                    return std::nullopt;
                }
                std::ostringstream text;
                if (const auto config = Base_Folder("XDG_CONFIG_HOME", home, ".config")) {
                    std::ifstream file(*config / "user-dirs.dirs");
                    text << file.rdbuf();
                }
                return detail::Xdg_User_Dir(text.str(), "XDG_DESKTOP_DIR", home)
                    .value_or(home / "Desktop");
            }
            case Shell_Folder::Programs: {
                const auto data = Base_Folder("XDG_DATA_HOME", home, ".local/share");
                if (!data) {
                    return std::nullopt;
                }
                return *data / "applications";
            }
            case Shell_Folder::Start_Menu:
            case Shell_Folder::Send_To:
                break;
        }
        return std::nullopt;
    }

    bool Save_Shortcut(const std::filesystem::path&, const Shortcut&) override { return false; }

    bool Delete_File_Safely(const std::filesystem::path& file) override {
        return tessaly::Delete_File_Safely(file);
    }
};

}  // namespace

std::unique_ptr<Shell_Folders> Make_Linux_Shell_Folders() {
    return std::make_unique<Linux_Shell_Folders>();
}

}  // namespace tessaly
