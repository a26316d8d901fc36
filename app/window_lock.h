#pragma once

#include <filesystem>

namespace tessaly {

// The lock a running window holds on its data file: ".<name>.lock" beside
// the file that the path finally names.
std::filesystem::path Window_Lock_Path(const std::filesystem::path& data_file);

// Whether a window (here or on another computer sharing the folder) has the
// data file open. A lock left by a window that has ended holds nothing; a
// lock that cannot be read counts as held, so that the list is never written
// under a window.
bool Window_Holds_Data_File(const std::filesystem::path& data_file);

}  // namespace tessaly
