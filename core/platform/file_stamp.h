#pragma once

#include <cstdint>
#include <filesystem>

namespace tessaly {

// What tells one version of a file from another without reading it: another
// program that writes the file changes at least one of these.
struct File_Stamp {
    bool Exists = false;
    std::uint64_t Device = 0;
    std::uint64_t Identity = 0;  // the inode, or the file index
    std::int64_t Size = 0;
    std::int64_t Modified_Ns = 0;

    bool operator==(const File_Stamp&) const = default;
};

// The file's stamp now (links followed); a file that cannot be looked at
// reads as absent.
File_Stamp Current_File_Stamp(const std::filesystem::path& file);

}  // namespace tessaly
