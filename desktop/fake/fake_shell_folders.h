#pragma once

#include <filesystem>
#include <map>
#include <utility>
#include <vector>

#include "desktop/shell_folders.h"

namespace tessaly {

// Folders a test names; shortcuts are recorded, not written, and a delete
// removes the path from the recorded ones.
class Fake_Shell_Folders final : public Shell_Folders {
public:
    std::optional<std::filesystem::path> Folder(Shell_Folder folder) override {
        const auto found = Folders.find(folder);
        if (found == Folders.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    bool Save_Shortcut(const std::filesystem::path& file, const Shortcut& shortcut) override {
        if (!Writable) {
            return false;
        }
        Saved[file] = shortcut;
        return true;
    }
    bool Delete_File_Safely(const std::filesystem::path& file) override {
        Deleted.push_back(file);
        return Saved.erase(file) > 0;
    }

    std::map<Shell_Folder, std::filesystem::path> Folders;
    std::map<std::filesystem::path, Shortcut> Saved;
    std::vector<std::filesystem::path> Deleted;
    bool Writable = true;
};

}  // namespace tessaly
