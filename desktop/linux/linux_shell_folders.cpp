#include "desktop/linux/linux_shell_folders.h"

#include <sstream>
#include <string>
#include <system_error>

#include "core/atomic_file.h"
#include "desktop/linux/desktop_entry.h"
#include "desktop/linux/linux_process.h"
#include "desktop/linux/linux_services.h"
#include "desktop/linux/xdg_folders.h"

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

constexpr std::filesystem::perms Launcher_Permissions =
    std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
    std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
    std::filesystem::perms::others_exec;

// Shortcuts are desktop entries: on the desktop folder (a launcher), in the
// applications folder that menus are built from, and in the Send To folder
// of the one file manager whose menu is made of desktop entries.
class Linux_Shell_Folders final : public Shell_Folders {
public:
    std::optional<std::filesystem::path> Folder(const std::string& name) override {
        if (name == "Desktop") {
            return Desktop_Folder();
        }
        const auto data = detail::Xdg_Data_Home();
        if (!data) {
            return std::nullopt;
        }
        if (name == "Start Menu") {
            return *data / "applications";
        }
        if (name == "SendTo") {
            std::error_code error;
            const std::filesystem::path send_to = *data / "Thunar" / "sendto";
            if (std::filesystem::is_directory(send_to, error)) {
                return send_to;
            }
        }
        return std::nullopt;
    }

    std::string Shortcut_Extension() const override { return ".desktop"; }

    std::optional<std::string> Unstartable_Reason(
        const std::filesystem::path& target) const override {
        return detail::Unstartable_Path_Reason(target.string());
    }

    bool Save_Shortcut(const std::filesystem::path& file,
                       const std::filesystem::path& target) override {
        if (Unstartable_Reason(target)) {
            return false;
        }
        std::error_code error;
        // A shell folder that a fresh account lacks yet is made, as the
        // desktop itself would.
        std::filesystem::create_directories(file.parent_path(), error);
        const bool launcher = file.parent_path() == Desktop_Folder();
        try {
            Write_File_Atomically(file,
                                  detail::Application_Entry(file.stem().string(), target.string()));
        } catch (const std::exception&) {
            return false;
        }
        if (launcher) {
            // Desktops run a launcher on a double click only when it is
            // executable and, for some, marked trusted; without that step
            // the launcher still works from a menu.
            std::filesystem::permissions(file, Launcher_Permissions,
                                         std::filesystem::perm_options::replace, error);
            const std::string gio = detail::Find_On_Path("gio");
            if (!gio.empty()) {
                detail::Run_And_Wait(gio, {"set", file.string(), "metadata::trusted", "true"});
            }
        }
        return true;
    }

private:
    static std::optional<std::filesystem::path> Desktop_Folder() {
        const std::filesystem::path home = detail::Home_Folder();
        if (home.empty()) {
            return std::nullopt;
        }
        std::string user_dirs;
        if (const auto config = detail::Xdg_Config_Home()) {
            try {
                user_dirs = Read_Whole_File(*config / "user-dirs.dirs");
            } catch (const std::exception&) {
                // No such file: the default below.
            }
        }
        return detail::Xdg_User_Dir(user_dirs, "XDG_DESKTOP_DIR", home).value_or(home / "Desktop");
    }
};

}  // namespace

std::unique_ptr<Shell_Folders> Make_Linux_Shell_Folders() {
    return std::make_unique<Linux_Shell_Folders>();
}

}  // namespace tessaly
