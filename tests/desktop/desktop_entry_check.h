#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "test_support/temp_dir.h"

namespace tessaly::test {

// desktop-file-validate's complaints about the file: empty when it passes,
// none when the tool is not installed.
inline std::optional<std::string> Desktop_File_Complaints(const std::filesystem::path& file) {
    if (std::system("command -v desktop-file-validate > /dev/null 2>&1") != 0) {
        return std::nullopt;
    }
    Temp_Dir dir;
    const std::filesystem::path out = dir.File("validate.out");
    const std::string command =
        "desktop-file-validate '" + file.string() + "' > '" + out.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    std::string complaints = Read_Bytes(out);
    if (status != 0 && complaints.empty()) {
        complaints = "failed without a message";
    }
    return complaints;
}

}  // namespace tessaly::test
