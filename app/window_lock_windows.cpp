#include <windows.h>

#include "app/window_lock.h"

namespace tessaly {

// A running window holds its lock file open for writing and lets others only
// read it; Windows closes it when the window ends in any way. So the file is
// held exactly while it cannot be opened by one who will not share writing.
bool Window_Holds_Data_File(const std::filesystem::path& data_file) {
    const std::filesystem::path lock = Window_Lock_Path(data_file);
    const HANDLE file =
        ::CreateFileW(lock.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A lock that cannot be read counts as held.
        return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    }
    ::CloseHandle(file);
    return false;
}

}  // namespace tessaly
