#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "desktop/linux/linux_services.h"
#include "desktop/system_file_routines.h"

namespace tessaly {

std::string File_Status(const std::filesystem::path& file) {
    const std::string path = file.string();
    if (const auto status = File_Status_Without_Looking(path)) {
        return *status;
    }
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return {};
    }
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        switch (errno) {
            case ENOENT:
            case ENOTDIR:
            case ENXIO:
            case ENODEV:
                return File_Status_Not_Found;
            case ETXTBSY:
            case EBUSY:
                return File_Status_Open;
            default:
                return File_Status_Error;
        }
    }
    // A write lease is granted only while no other descriptor for the file
    // is open, in this process or any other.
    std::string status = File_Status_Closed;
    if (::fcntl(descriptor, F_SETLEASE, F_WRLCK) == 0) {
        ::fcntl(descriptor, F_SETLEASE, F_UNLCK);
    } else if (errno == EAGAIN || errno == EBUSY) {
        status = File_Status_Open;
    }
    ::close(descriptor);
    return status;
}

bool Delete_File_Safely(const std::filesystem::path& file) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(file, error);
    if (!std::filesystem::exists(status)) {
        return false;
    }
    if (!std::filesystem::is_symlink(status)) {
        std::filesystem::permissions(file, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, error);
    }
    if (File_Status(file) != File_Status_Closed) {
        return false;
    }
    std::filesystem::remove(file, error);
    return !std::filesystem::exists(std::filesystem::symlink_status(file, error));
}

std::unique_ptr<File_Routines> Make_Linux_File_Routines() {
    return std::make_unique<System_File_Routines>();
}

}  // namespace tessaly
