#include "desktop/system_file_routines.h"
#include "desktop/windows/windows_services.h"

namespace tessaly {

namespace {

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::string File_Status(const std::filesystem::path& file) {
    const std::string path = file.string();
    if (const auto status = File_Status_Without_Looking(path)) {
        return *status;
    }
    if (!Exists(path)) {
        return {};
    }
    // A drive that is not ready answers with an error code, not a system box.
    const UINT previous_mode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    std::string status = File_Status_Closed;
    OFSTRUCT details{};
    const HFILE handle = ::OpenFile(path.c_str(), &details, OF_READWRITE | OF_SHARE_EXCLUSIVE);
    if (handle == HFILE_ERROR) {
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
        ::CloseHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(handle)));
    }
    ::SetErrorMode(previous_mode);
    return status;
}

bool Delete_File_Safely(const std::filesystem::path& file) {
    const std::string path = file.string();
    if (!Exists(path)) {
        return false;
    }
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (File_Status(file) != File_Status_Closed) {
        return false;
    }
    ::DeleteFileA(path.c_str());
    return !Exists(path);
}

std::unique_ptr<File_Routines> Make_Windows_File_Routines() {
    return std::make_unique<System_File_Routines>();
}

}  // namespace tessaly
