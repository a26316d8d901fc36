#include <string>
#include <system_error>

#include "core/atomic_file.h"
#include "desktop/linux/desktop_entry.h"
#include "desktop/linux/linux_services.h"
#include "desktop/linux/xdg_folders.h"

namespace tessaly {

namespace {

// The user's autostart folder: each "<name>.desktop" in it is an entry that
// the desktop runs at log-in.
class Linux_Auto_Start_Entries final : public Auto_Start_Entries {
public:
    std::string Key_Path() override {
        const auto folder = Folder();
        return folder ? folder->string() : std::string("$XDG_CONFIG_HOME/autostart");
    }

    // Fresh accounts seldom have the folder; desktops create it when they
    // first need it, and so does this.
    bool Key_Exists() override {
        const auto folder = Folder();
        if (!folder) {
            return false;
        }
        std::error_code error;
        std::filesystem::create_directories(*folder, error);
        return std::filesystem::is_directory(*folder, error);
    }

    std::optional<std::string> Read_Entry(const std::string& name) override {
        const auto folder = Folder();
        if (!folder) {
            return std::nullopt;
        }
        std::string text;
        try {
            text = Read_Whole_File(*folder / (name + ".desktop"));
        } catch (const std::exception&) {
            return std::nullopt;
        }
        const auto keys = detail::Desktop_Entry_Keys(text);
        // The desktop's own settings switch an entry off in these ways.
        if (Is(keys, "Hidden", "true") || Is(keys, "X-GNOME-Autostart-enabled", "false") ||
            Is(keys, "X-MATE-Autostart-enabled", "false")) {
            return std::nullopt;
        }
        const auto exec = keys.find("Exec");
        if (exec == keys.end()) {
            return std::nullopt;
        }
        return detail::First_Exec_Argument(exec->second);
    }

    std::optional<std::string> Unstartable_Reason(const std::string& program_path) const override {
        return detail::Unstartable_Path_Reason(program_path);
    }

    bool Write_Entry(const std::string& name, const std::string& program_path) override {
        const auto folder = Folder();
        if (!folder || Unstartable_Reason(program_path)) {
            return false;
        }
        try {
            Write_File_Atomically(
                *folder / (name + ".desktop"),
                detail::Application_Entry("Tessaly", program_path,
                                          "Comment=Coming birthdays and events at log-in\n"
                                          "X-GNOME-Autostart-enabled=true\n"));
        } catch (const std::exception&) {
            return false;
        }
        return true;
    }

    bool Delete_Entry(const std::string& name) override {
        const auto folder = Folder();
        if (!folder) {
            return false;
        }
        std::error_code error;
        std::filesystem::remove(*folder / (name + ".desktop"), error);
        return !error;
    }

    bool Paths_Ignore_Case() const override { return false; }

private:
    static std::optional<std::filesystem::path> Folder() {
        const auto config = detail::Xdg_Config_Home();
        if (!config) {
            return std::nullopt;
        }
        return *config / "autostart";
    }

    static bool Is(const std::map<std::string, std::string>& keys, const char* key,
                   const char* value) {
        const auto found = keys.find(key);
        return found != keys.end() && found->second == value;
    }
};

}  // namespace

std::unique_ptr<Auto_Start_Entries> Make_Linux_Auto_Start_Entries() {
    return std::make_unique<Linux_Auto_Start_Entries>();
}

}  // namespace tessaly
