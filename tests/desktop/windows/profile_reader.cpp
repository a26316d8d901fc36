// Prints one value of an INI file as Windows' private-profile functions read
// it, in UTF-8: scripts/wine-window.sh checks the settings file with it.
//   tessaly_profile_reader FILE SECTION KEY
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        return 2;
    }
    std::wstring value(4096, L'\0');
    const DWORD length = ::GetPrivateProfileStringW(argv[2], argv[3], L"\x01", value.data(),
                                                    static_cast<DWORD>(value.size()), argv[1]);
    value.resize(length);
    // The default is a text no file holds: a missing key fails.
    if (value == L"\x01") {
        return 1;
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, value.data(), static_cast<int>(length),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, value.data(), static_cast<int>(length), utf8.data(), size,
                          nullptr, nullptr);
    utf8 += '\n';
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()),
                &written, nullptr);
    return 0;
}
