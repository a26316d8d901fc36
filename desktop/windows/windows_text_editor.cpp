#include "desktop/windows/windows_services.h"

namespace tessaly {

namespace {

// Notepad from the Windows folder, started on the file without waiting.
class Windows_Text_Editor final : public Text_Editor {
public:
    bool View_In_Notepad(const std::filesystem::path& file) override {
        // Asked for its length first, so that no folder name overruns a buffer.
        const UINT length = ::GetWindowsDirectoryW(nullptr, 0);
        if (length == 0) {
            return false;
        }
        std::wstring folder(length, L'\0');
        const UINT got = ::GetWindowsDirectoryW(folder.data(), length);
        if (got == 0 || got >= length) {
            return false;
        }
        folder.resize(got);
        if (::GetFileAttributesW((folder + L"\\Notepad.EXE").c_str()) == INVALID_FILE_ATTRIBUTES) {
            return false;
        }
        // Notepad takes the rest of its command line as the path, spaces and
        // all. Started as WinExec would (the same program search, shown
        // normally), but with the wide command line, which holds any letter.
        std::wstring command = L"Notepad.exe " + file.native();
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process{};
        if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process)) {
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        }
        return true;
    }
};

}  // namespace

std::unique_ptr<Text_Editor> Make_Windows_Text_Editor() {
    return std::make_unique<Windows_Text_Editor>();
}

}  // namespace tessaly
