#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tessaly {

// Replaces the file with the bytes so that it is never seen half-written: the
// bytes go to a temporary file beside it, which is flushed to disk and then
// renamed over the target. An existing target keeps its permissions. On any
// failure the target is untouched, the temporary file is removed and a
// File_Error with the operating system's text is thrown.
void Write_File_Atomically(const std::filesystem::path& target, std::string_view bytes);

// The whole file. Throws File_Error with the operating system's text.
std::string Read_Whole_File(const std::filesystem::path& file);

}  // namespace tessaly
