#pragma once

// The program holds its texts as UTF-8; the Win32 calls it makes take
// UTF-16 (the wide forms), since the ANSI forms read bytes in a code page
// that lacks most of the letters a user's folder or file name may hold.
#include <windows.h>

#include <climits>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly::detail {

// None when the bytes are not UTF-8: a guessed character would name another
// file or value.
inline std::optional<std::wstring> Wide_From_Utf8(std::string_view text) {
    if (text.empty()) {
        return std::wstring();
    }
    if (text.size() > INT_MAX) {
        return std::nullopt;
    }
    const int size = static_cast<int>(text.size());
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
    return wide;
}

// A lone surrogate, which UTF-8 cannot hold, becomes U+FFFD.
inline std::string Utf8_From_Wide(std::wstring_view text) {
    if (text.empty() || text.size() > INT_MAX / 3) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    std::string utf8(text.size() * 3, '\0');
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(),
                                             static_cast<int>(utf8.size()), nullptr, nullptr);
    utf8.resize(length > 0 ? static_cast<std::size_t>(length) : 0u);
    return utf8;
}

// The system's text for an error code, in its language and in UTF-8,
// without the closing full stop and line break.
inline std::string Windows_Error_Text(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", buffer != nullptr ? length : 0);
    if (buffer != nullptr) {
        ::LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.' ||
                             text.back() == L' ')) {
        text.pop_back();
    }
    return text.empty() ? "error " + std::to_string(error) : Utf8_From_Wide(text);
}

}  // namespace tessaly::detail
