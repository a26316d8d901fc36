#include "core/program_folders.h"

#include <system_error>

namespace tessaly {

Program_Folders Portable_Folders(const std::filesystem::path& executable_folder) {
    return Program_Folders{.Data_Folder = executable_folder,
                           .Settings_Folder = executable_folder,
                           .Text_Folder = executable_folder,
                           .Installed = false};
}

std::filesystem::path Base_Folder(const std::optional<std::filesystem::path>& value,
                                  const std::filesystem::path& fallback) {
    return value && value->is_absolute() ? *value : fallback;
}

Program_Folders Decide_Program_Folders(const Folder_Facts& facts) {
    if (!facts.In_Installed_Program_Folder && facts.Executable_Folder_Writable) {
        return Portable_Folders(facts.Executable_Folder);
    }
    return Program_Folders{
        .Data_Folder =
            Base_Folder(facts.Data_Home, facts.Default_Data_Home) / facts.User_Folder_Name,
        .Settings_Folder =
            Base_Folder(facts.Config_Home, facts.Default_Config_Home) / facts.User_Folder_Name,
        // A copy on a read-only medium still brings its own text files.
        .Text_Folder = facts.Text_Files_Beside_Executable && !facts.In_Installed_Program_Folder
                           ? facts.Executable_Folder
                           : facts.Installed_Text_Folder,
        .Installed = true,
    };
}

std::string Folder_Creation_Message(const std::string& failure) {
    return "Error: The folder for the list and the settings cannot be created:\r\n\r\n" + failure +
           "\r\n\r\nThe list can be viewed, but changes cannot be saved until the folder exists.";
}

namespace {

bool Is_File(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool Same_Folder(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace

Folder_Facts Gather_Folder_Facts(const std::filesystem::path& executable) {
    Folder_Facts facts;
    facts.Executable_Folder = executable.parent_path();
    facts.Text_Files_Beside_Executable = Is_File(facts.Executable_Folder / "catalog.txt");
    // An install with another prefix (cmake --install --prefix) is known by
    // its data folder beside bin, which a build folder does not have.
    const std::filesystem::path sibling_text_folder =
        facts.Executable_Folder.parent_path() / TESSALY_INSTALL_DATADIR / facts.User_Folder_Name;
    const bool sibling_install =
        !facts.Text_Files_Beside_Executable && Is_File(sibling_text_folder / "catalog.txt");
    facts.In_Installed_Program_Folder =
        sibling_install || Same_Folder(facts.Executable_Folder, TESSALY_INSTALL_FULL_BINDIR);
    facts.Installed_Text_Folder =
        sibling_install
            ? sibling_text_folder
            : std::filesystem::path(TESSALY_INSTALL_FULL_DATADIR) / facts.User_Folder_Name;
    facts.Executable_Folder_Writable = detail::Folder_Writable(facts.Executable_Folder);
    detail::Read_Base_Folders(facts);
    detail::Read_Installer_Record(facts);
    return facts;
}

Program_Folders Locate_Program_Folders(const std::filesystem::path& executable) {
    return Decide_Program_Folders(Gather_Folder_Facts(executable));
}

}  // namespace tessaly
