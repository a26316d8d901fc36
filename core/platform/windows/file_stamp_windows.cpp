#include <windows.h>

#include "core/platform/file_stamp.h"

namespace tessaly {

File_Stamp Current_File_Stamp(const std::filesystem::path& file) {
    const HANDLE handle =
        ::CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return {};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (!known) {
        return {};
    }
    File_Stamp stamp;
    stamp.Exists = true;
    stamp.Device = info.dwVolumeSerialNumber;
    stamp.Identity = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.Size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                           info.nFileSizeLow);
    // 100-nanosecond steps.
    stamp.Modified_Ns =
        static_cast<std::int64_t>(
            (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
            info.ftLastWriteTime.dwLowDateTime) *
        100;
    return stamp;
}

}  // namespace tessaly
