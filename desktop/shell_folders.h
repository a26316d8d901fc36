#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tessaly {

// The folders of the desktop shell that take shortcuts to the program.
enum class Shell_Folder { Desktop, Start_Menu, Programs, Send_To };

// What a shortcut starts.
struct Shortcut {
    std::filesystem::path Target;
    std::string Arguments;
    std::filesystem::path Working_Folder;
    std::string Description;
};

// The shell's folders and the shortcuts in them.
class Shell_Folders {
public:
    virtual ~Shell_Folders() = default;

    // The folder's path, or none where the desktop has no such folder.
    virtual std::optional<std::filesystem::path> Folder(Shell_Folder folder) = 0;
    // Writes the shortcut to the file (the caller picks folder and name);
    // false when it could not be written or the desktop has no shortcuts.
    virtual bool Save_Shortcut(const std::filesystem::path& file, const Shortcut& shortcut) = 0;
    // Deletes a shortcut file unless someone holds it open; true when it
    // existed and is gone.
    virtual bool Delete_File_Safely(const std::filesystem::path& file) = 0;
};

}  // namespace tessaly
