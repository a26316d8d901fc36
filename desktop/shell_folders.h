#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tessaly {

// The folders of the desktop shell that take shortcuts to the program, and
// the shortcuts themselves.
class Shell_Folders {
public:
    virtual ~Shell_Folders() = default;

    // The path of the shell folder of that name ("Desktop", "Start Menu",
    // "SendTo"); none where the desktop has no such folder or its setting
    // is missing or empty. Other names have none.
    virtual std::optional<std::filesystem::path> Folder(const std::string& name) = 0;
    // What a shortcut's file name ends in: ".lnk" on Windows, ".desktop" for
    // a desktop entry.
    virtual std::string Shortcut_Extension() const = 0;
    // Why a shortcut could not start the target (the sentence's end); none
    // where it can.
    virtual std::optional<std::string> Unstartable_Reason(
        const std::filesystem::path& /*target*/) const {
        return std::nullopt;
    }
    // Writes a shortcut that starts the target to the file, replacing one of
    // that name; false when it could not be written.
    virtual bool Save_Shortcut(const std::filesystem::path& file,
                               const std::filesystem::path& target) = 0;
};

}  // namespace tessaly
