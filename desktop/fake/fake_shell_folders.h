#pragma once

#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "desktop/shell_folders.h"

namespace tessaly {

// Folders a test names (real folders of the test, or none). Shortcuts are
// recorded and also written as small files, so that deleting them goes
// through the real file routines.
class Fake_Shell_Folders final : public Shell_Folders {
public:
    std::optional<std::filesystem::path> Folder(const std::string& name) override {
        const auto found = Folders.find(name);
        if (found == Folders.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    std::string Shortcut_Extension() const override { return Extension; }
    std::optional<std::string> Unstartable_Reason(const std::filesystem::path&) const override {
        return Unstartable;
    }
    bool Save_Shortcut(const std::filesystem::path& file,
                       const std::filesystem::path& target) override {
        ++Saves;
        if (!Writable || !std::filesystem::is_directory(file.parent_path())) {
            return false;
        }
        Saved[file] = target;
        std::FILE* out = std::fopen(file.string().c_str(), "wb");
        if (out == nullptr) {
            return false;
        }
        std::fputs(target.string().c_str(), out);
        std::fclose(out);
        return true;
    }

    std::map<std::string, std::filesystem::path> Folders;
    std::string Extension = ".desktop";
    // Every shortcut saved, by file, with its target.
    std::map<std::filesystem::path, std::filesystem::path> Saved;
    int Saves = 0;
    bool Writable = true;
    // Why no shortcut could start the program, for every target.
    std::optional<std::string> Unstartable;
};

}  // namespace tessaly
