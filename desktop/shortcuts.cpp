#include "desktop/shortcuts.h"

#include <array>
#include <optional>
#include <system_error>

#include "core/platform/utf8_path.h"
#include "desktop/desktop_prompts.h"
#include "desktop/file_routines.h"
#include "desktop/shell_folders.h"

namespace tessaly {

namespace {

constexpr std::array<const char*, 3> Folder_Names = {Desktop_Folder_Name, Start_Menu_Folder_Name,
                                                     Send_To_Folder_Name};

bool Is_Shell_Folder_Name(const std::string& name) {
    for (const char* known : Folder_Names) {
        if (name == known) {
            return true;
        }
    }
    return false;
}

}  // namespace

Shortcuts::Shortcuts(Shell_Folders& shell, File_Routines& files, Desktop_Prompts& prompts)
    : shell_(shell), files_(files), prompts_(prompts) {}

std::string Shortcuts::Shortcut_File_Name(const std::filesystem::path& executable) const {
    std::filesystem::path name = executable.filename();
    name.replace_extension(shell_.Shortcut_Extension());
    return name.string();
}

std::string Shortcuts::Base_Name(const std::filesystem::path& executable) {
    std::string name = executable.filename().string();
    const std::string extension = executable.extension().string();
    if (extension.empty()) {
        return name;
    }
    for (std::size_t at = name.find(extension); at != std::string::npos;
         at = name.find(extension, at)) {
        name.erase(at, extension.size());
    }
    return name;
}

void Shortcuts::Create_Shortcut(const std::filesystem::path& target, const std::string& folder_name,
                                const std::string& sub_folder) {
    const std::optional<std::filesystem::path> folder =
        Is_Shell_Folder_Name(folder_name) ? shell_.Folder(folder_name) : std::nullopt;
    if (!folder || folder->empty()) {
        prompts_.Information("REGISTRY_INC__Create_Shortcut Error: The key \"" + folder_name +
                             "\" is invalid or could not be found in the registry.");
        return;
    }
    // A shortcut that cannot start the program would be taken for one that
    // works.
    if (const auto reason = shell_.Unstartable_Reason(target)) {
        prompts_.Error("Error: No shortcut was created in \"" + folder_name + "\": " + *reason +
                       ".\r\n\r\n Path = " + target.string() +
                       "\r\n\r\nMove the program to another folder and try again.");
        return;
    }
    std::filesystem::path location = *folder;
    if (!sub_folder.empty()) {
        // A sub-folder is used where it is, never made: without it the save
        // has nowhere to go, and says nothing.
        location /= Path_From_Utf8(sub_folder);
        std::error_code error;
        if (!std::filesystem::is_directory(location, error)) {
            return;
        }
    }
    shell_.Save_Shortcut(location / Path_From_Utf8(Shortcut_File_Name(target)), target);
}

bool Shortcuts::Delete_Shortcut(const std::filesystem::path& executable,
                                const std::string& folder_name) {
    if (!Is_Shell_Folder_Name(folder_name)) {
        return false;
    }
    // Without a real shell folder there is nowhere to look.
    const std::optional<std::filesystem::path> folder = shell_.Folder(folder_name);
    if (!folder || folder->empty()) {
        return false;
    }
    const std::filesystem::path file =
        *folder / Path_From_Utf8(Base_Name(executable) + shell_.Shortcut_Extension());
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
        return false;
    }
    return files_.Delete_File_Safely(file);
}

void Shortcuts::Delete_All_Shortcuts(const std::filesystem::path& executable) {
    bool deleted = false;
    for (const char* folder_name : Folder_Names) {
        // Every folder is tried, whatever the one before did.
        deleted = Delete_Shortcut(executable, folder_name) || deleted;
    }
    const std::string base_name = Base_Name(executable);
    if (deleted) {
        prompts_.Information("Success: All Desktop, Start Menu, and SendTo shortcuts to \"" +
                             base_name + "\" have been deleted.");
    } else {
        prompts_.Information("No Desktop, Start Menu, or SendTo shortcuts called \"" + base_name +
                             "\" could be found !  i.e. they may have been renamed to something "
                             "else " +
                             "or deleted already.");
    }
}

}  // namespace tessaly
