#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace tessaly::test {

// A folder or file name with letters of code page 1252 (Wine's usual ANSI
// code page) and letters of no single-byte code page: an ANSI call gets it
// wrong whatever the code page.
inline const std::wstring Non_Ascii_Name = L"Zoë Ärger ĳ 日本";

// The UTF-8 bytes of a wide text, as the program holds its texts.
inline std::string Utf8(const std::wstring& text) {
    return std::filesystem::path(text).string();
}

// Whether the bytes are UTF-8 throughout.
inline bool Is_Utf8(const std::string& text) {
    return text.empty() || ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                                 static_cast<int>(text.size()), nullptr, 0) > 0;
}

}  // namespace tessaly::test
