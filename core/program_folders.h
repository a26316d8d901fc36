#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tessaly {

// Where the program keeps its files. A copy run from a folder of its own
// keeps everything beside the executable; an installed one keeps the list
// and the settings in the user's home and reads its text files from the
// installed data folder.
struct Program_Folders {
    // Tessaly.dat.
    std::filesystem::path Data_Folder;
    // Tessaly.ini.
    std::filesystem::path Settings_Folder;
    // The readme and catalog.txt.
    std::filesystem::path Text_Folder;
    bool Installed = false;
};

// Every file beside the executable.
Program_Folders Portable_Folders(const std::filesystem::path& executable_folder);

// What the choice depends on, gathered from the system by
// Locate_Program_Folders and given directly by tests.
struct Folder_Facts {
    std::filesystem::path Executable_Folder;
    // The executable's folder is the one the program was installed to.
    bool In_Installed_Program_Folder = false;
    bool Executable_Folder_Writable = true;
    // catalog.txt lies beside the executable.
    bool Text_Files_Beside_Executable = true;
    // The installed data folder that holds the text files.
    std::filesystem::path Installed_Text_Folder;
    // The environment as it was read.
    std::optional<std::filesystem::path> Data_Home;    // XDG_DATA_HOME, or APPDATA on Windows
    std::optional<std::filesystem::path> Config_Home;  // XDG_CONFIG_HOME, or APPDATA on Windows
    // Used for a base folder that is unset, empty or relative.
    std::filesystem::path Default_Data_Home;    // ~/.local/share
    std::filesystem::path Default_Config_Home;  // ~/.config
    // The folder's name under the base folders: fixed, so that renaming the
    // executable keeps the data; in lower case on Linux, as Windows users
    // see it in %APPDATA% on Windows.
    std::string User_Folder_Name = "tessaly";
};

// Installed when the executable runs from the installed program folder or
// from one it cannot write to; portable otherwise.
Program_Folders Decide_Program_Folders(const Folder_Facts& facts);

// A base folder from the environment: an absolute value as it stands, else
// the default (relative values are ignored, as the base-directory rules say).
std::filesystem::path Base_Folder(const std::optional<std::filesystem::path>& value,
                                  const std::filesystem::path& fallback);

// The system's facts for this executable, and the folders they give; the one
// routine that the window and the terminal tool both follow.
Folder_Facts Gather_Folder_Facts(const std::filesystem::path& executable);

namespace detail {
// What each system answers in its own way.
bool Folder_Writable(const std::filesystem::path& folder);
void Read_Base_Folders(Folder_Facts& facts);
// What an installer left beside the executable: on Windows, whose installer
// may put the program in any folder, its uninstaller marks an install.
void Read_Installer_Record(Folder_Facts& facts);
}  // namespace detail
Program_Folders Locate_Program_Folders(const std::filesystem::path& executable);

// Creates the folders that the program writes to, and their missing parents,
// readable by the user alone. Returns the system's text on failure.
std::optional<std::string> Create_Program_Folders(const Program_Folders& folders);

// What the window says when they cannot be made; lines end in CR LF.
std::string Folder_Creation_Message(const std::string& failure);

}  // namespace tessaly
