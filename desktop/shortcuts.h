#pragma once

#include <filesystem>
#include <string>

namespace tessaly {

class Desktop_Prompts;
class File_Routines;
class Shell_Folders;

// Shell folder names, in the order in which they are looked up; each is also
// the name of its setting.
inline constexpr const char* Desktop_Folder_Name = "Desktop";
inline constexpr const char* Start_Menu_Folder_Name = "Start Menu";
inline constexpr const char* Send_To_Folder_Name = "SendTo";
inline constexpr const char* Programs_Sub_Folder_Name = "Programs";

// Shortcuts to the program in the shell's folders.
class Shortcuts {
public:
    Shortcuts(Shell_Folders& shell, File_Routines& files, Desktop_Prompts& prompts);

    // Saves a shortcut to the target in the named folder (or its sub-folder,
    // when one is given and exists), replacing one of the same name.
    void Create_Shortcut(const std::filesystem::path& target, const std::string& folder_name,
                         const std::string& sub_folder);
    // True when the executable's shortcut was found in the named folder and
    // deleted. No message.
    bool Delete_Shortcut(const std::filesystem::path& executable, const std::string& folder_name);
    // Deletes the Desktop, Start Menu and SendTo shortcuts and says what
    // came of it.
    void Delete_All_Shortcuts(const std::filesystem::path& executable);

    // The shortcut's file name: the executable's, with the shortcut
    // extension in place of its own.
    std::string Shortcut_File_Name(const std::filesystem::path& executable) const;
    // The executable's file name without its extension text, wherever that
    // occurs in it.
    static std::string Base_Name(const std::filesystem::path& executable);

private:
    Shell_Folders& shell_;
    File_Routines& files_;
    Desktop_Prompts& prompts_;
};

}  // namespace tessaly
