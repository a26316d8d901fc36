#pragma once

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#endif

namespace tessaly::test {

#ifdef _WIN32
// The system's words for an error, as the program's messages quote them.
inline std::string System_Reason(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring wide(text, length);
    ::LocalFree(text);
    // Without the full stop and line end that the messages do not repeat.
    while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L'.')) {
        wide.pop_back();
    }
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(static_cast<std::size_t>(
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                              static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
}

inline std::string Missing_File_Reason() {
    return System_Reason(ERROR_FILE_NOT_FOUND);
}
inline std::string Missing_Folder_Reason() {
    return System_Reason(ERROR_PATH_NOT_FOUND);
}
#else
inline std::string Missing_File_Reason() {
    return std::strerror(ENOENT);
}
inline std::string Missing_Folder_Reason() {
    return std::strerror(ENOENT);
}
#endif

}  // namespace tessaly::test
