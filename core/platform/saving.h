#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace tessaly::detail {

// What every system's saving shares: the names of its temporary files, and
// the texts of its failures.

// A temporary file is "." + the target's name + this + six letters or
// digits: hidden, and unlike any name a user gives.
inline constexpr const char* Temporary_Marker = ".saving-";
inline constexpr std::size_t Temporary_Random_Length = 6;

// Whether a folder entry is a temporary file of saves of the target name.
bool Is_Temporary_Of(const std::string& entry, const std::string& target_name);

// Throws File_Error: what was being done, the file, and why.
[[noreturn]] void Throw_File_Error(const char* what, const std::filesystem::path& file,
                                   const std::string& reason);

// Why a file over Largest_Readable_File is not read.
std::string Too_Large_Reason();

}  // namespace tessaly::detail
