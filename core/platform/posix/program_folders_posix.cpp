#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "core/program_folders.h"

namespace tessaly {

namespace {

std::optional<std::filesystem::path> Environment_Value(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::filesystem::path(value);
}

// As the toolkit takes it: without $HOME, the root. The password database
// is not asked: the statically linked terminal tool could not load its
// modules safely.
std::filesystem::path Home_Folder(const std::optional<std::filesystem::path>& home) {
    return home && !home->empty() ? *home : std::filesystem::path("/");
}

}  // namespace

namespace detail {

bool Folder_Writable(const std::filesystem::path& folder) {
    return ::access(folder.c_str(), W_OK) == 0;
}

void Read_Base_Folders(Folder_Facts& facts) {
    facts.Data_Home = Environment_Value("XDG_DATA_HOME");
    facts.Config_Home = Environment_Value("XDG_CONFIG_HOME");
    const std::filesystem::path home = Home_Folder(Environment_Value("HOME"));
    facts.Default_Data_Home = home / ".local" / "share";
    facts.Default_Config_Home = home / ".config";
}

// A package is known by its folders alone (Gather_Folder_Facts): no
// installer leaves a record of its own here.
void Read_Installer_Record(Folder_Facts&) {}

}  // namespace detail

std::optional<std::string> Create_Program_Folders(const Program_Folders& folders) {
    for (const std::filesystem::path& folder : {folders.Data_Folder, folders.Settings_Folder}) {
        // Each missing component is made in turn so that every new one is
        // private, as the base-directory rules ask; umask can only narrow it.
        std::filesystem::path partial;
        for (const std::filesystem::path& part : folder) {
            partial /= part;
            if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
                return partial.string() + ": " + std::strerror(errno);
            }
        }
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error)) {
            return folder.string() + ": " + std::strerror(ENOTDIR);
        }
    }
    return std::nullopt;
}

}  // namespace tessaly
