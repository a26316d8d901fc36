// Stands in for Notepad beside the test that opens files in it, where the
// system's program search finds it first: it writes the command line it was
// started with, as UTF-8, to the file that TESSALY_NOTEPAD_RECORD names.
#include <windows.h>

#include <string>

int main() {
    wchar_t record[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"TESSALY_NOTEPAD_RECORD", record, MAX_PATH) == 0) {
        return 2;
    }
    const std::wstring wide = ::GetCommandLineW();
    std::string command_line(wide.size() * 3, '\0');
    command_line.resize(static_cast<std::size_t>(::WideCharToMultiByte(
        CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), command_line.data(),
        static_cast<int>(command_line.size()), nullptr, nullptr)));
    // Written under another name first, so that the test never reads half.
    const std::wstring partial = std::wstring(record) + L".partial";
    const HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 3;
    }
    DWORD written = 0;
    ::WriteFile(file, command_line.data(), static_cast<DWORD>(command_line.size()), &written,
                nullptr);
    ::CloseHandle(file);
    return ::MoveFileExW(partial.c_str(), record, MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
