#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tessaly {

// File_Status values.
inline constexpr const char* File_Status_Closed = "CLOSED";
inline constexpr const char* File_Status_Not_Found = "NOT FOUND";
inline constexpr const char* File_Status_Open = "OPEN";
inline constexpr const char* File_Status_Error = "ERROR";

// Whether someone else holds the file open: empty for an empty path or a
// missing file, "CLOSED" for a path of 128 characters or more without
// looking, otherwise "CLOSED", "OPEN", "NOT FOUND" or "ERROR". Where the
// operating system cannot tell, a file counts as closed.
std::string File_Status(const std::filesystem::path& file);

// What File_Status answers without looking at the file: empty for an empty
// path, "CLOSED" for one of 128 characters or more (the system's open call
// takes no longer one); none when the file must be looked at.
inline std::optional<std::string> File_Status_Without_Looking(const std::string& path) {
    if (path.empty()) {
        return std::string();
    }
    if (path.size() >= 128) {
        return std::string(File_Status_Closed);
    }
    return std::nullopt;
}

// Makes an existing file writable by its owner and deletes it unless someone
// else holds it open. True when the file existed and is gone afterwards.
bool Delete_File_Safely(const std::filesystem::path& file);

// The two routines above as a service, so that the window's callers can be
// given a fake. The backend of each system defines the functions.
class File_Routines {
public:
    virtual ~File_Routines() = default;
    virtual std::string File_Status(const std::filesystem::path& file) = 0;
    virtual bool Delete_File_Safely(const std::filesystem::path& file) = 0;
};

}  // namespace tessaly
