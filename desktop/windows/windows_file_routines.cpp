#include "desktop/system_file_routines.h"
#include "desktop/windows/windows_services.h"

namespace tessaly {

namespace {

// Paths reach the system in UTF-16, so that a file of any name is the one
// looked at.
bool Exists(const std::filesystem::path& file) {
    return ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::string File_Status(const std::filesystem::path& file) {
    if (const auto status = File_Status_Without_Looking(file.string())) {
        return *status;
    }
    if (!Exists(file)) {
        return {};
    }
    // A drive that is not ready answers with an error code, not a system box.
    const UINT previous_mode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    std::string status = File_Status_Closed;
    // Opened for reading and writing, shared with no one: what OpenFile's
    // OF_READWRITE | OF_SHARE_EXCLUSIVE does, failing with the same codes,
    // for names beyond its ANSI code page too.
    const HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        switch (::GetLastError()) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_NOT_READY:
            case ERROR_NOT_DOS_DISK:
            case ERROR_SECTOR_NOT_FOUND:
                status = File_Status_Not_Found;
                break;
            case ERROR_SHARING_VIOLATION:
            case ERROR_LOCK_VIOLATION:
                status = File_Status_Open;
                break;
            default:
                status = File_Status_Error;
        }
    } else {
        ::CloseHandle(handle);
    }
    ::SetErrorMode(previous_mode);
    return status;
}

bool Delete_File_Safely(const std::filesystem::path& file) {
    if (!Exists(file)) {
        return false;
    }
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (File_Status(file) != File_Status_Closed) {
        return false;
    }
    ::DeleteFileW(file.c_str());
    return !Exists(file);
}

std::unique_ptr<File_Routines> Make_Windows_File_Routines() {
    return std::make_unique<System_File_Routines>();
}

}  // namespace tessaly
