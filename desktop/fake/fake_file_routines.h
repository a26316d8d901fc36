#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "desktop/file_routines.h"

namespace tessaly {

// Works on real files (the tests' own folders) with the standard library
// alone; a file a test marks as held open is reported open and kept.
class Fake_File_Routines final : public File_Routines {
public:
    std::string File_Status(const std::filesystem::path& file) override {
        std::error_code error;
        if (file.empty() ||
            !std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
            return {};
        }
        return Held_Open.count(file) > 0 ? File_Status_Open : File_Status_Closed;
    }
    bool Delete_File_Safely(const std::filesystem::path& file) override {
        Deleted.push_back(file);
        std::error_code error;
        if (File_Status(file).empty()) {
            return false;
        }
        std::filesystem::permissions(file, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, error);
        if (Held_Open.count(file) > 0) {
            return false;
        }
        return std::filesystem::remove(file, error);
    }

    std::set<std::filesystem::path> Held_Open;
    // Every delete asked for, done or not.
    std::vector<std::filesystem::path> Deleted;
};

}  // namespace tessaly
