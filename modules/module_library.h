#pragma once

#include <filesystem>

namespace tessaly {

// A module's file: beside the executable (the build, a portable copy), or
// in the program's private folder once installed.
std::filesystem::path Module_Path(const std::filesystem::path& executable, const char* name);

namespace detail {

using Module_Function = void (*)();

// The function `name` exported by the library in `file`, the library loaded
// and kept; null where either cannot be found.
Module_Function Load_Module_Function(const std::filesystem::path& file, const char* name);

}  // namespace detail

}  // namespace tessaly
