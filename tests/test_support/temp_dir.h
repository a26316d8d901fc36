#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tessaly::test {

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes.
class Temp_Dir {
public:
    Temp_Dir();
    ~Temp_Dir();
    Temp_Dir(const Temp_Dir&) = delete;
    Temp_Dir& operator=(const Temp_Dir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path File(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void Write_Bytes(const std::filesystem::path& file, std::string_view bytes);
std::string Read_Bytes(const std::filesystem::path& file);

// What tells one file from another on its volume (the inode, or the file
// index on Windows): a file replaced by a save gets a new one.
std::uint64_t File_Identity(const std::filesystem::path& file);

}  // namespace tessaly::test
