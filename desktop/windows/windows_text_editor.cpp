#include "desktop/windows/windows_services.h"

namespace tessaly {

namespace {

// Notepad from the Windows folder, started on the file without waiting.
class Windows_Text_Editor final : public Text_Editor {
public:
    bool View_In_Notepad(const std::filesystem::path& file) override {
        // Asked for its length first, so that no folder name overruns a buffer.
        const UINT length = ::GetWindowsDirectoryA(nullptr, 0);
        if (length == 0) {
            return false;
        }
        std::string folder(length, '\0');
        const UINT got = ::GetWindowsDirectoryA(folder.data(), length);
        if (got == 0 || got >= length) {
            return false;
        }
        folder.resize(got);
        if (::GetFileAttributesA((folder + "\\Notepad.EXE").c_str()) == INVALID_FILE_ATTRIBUTES) {
            return false;
        }
        // Notepad takes the rest of its command line as the path, spaces and all.
        const std::string command = "Notepad.exe " + file.string();
        ::WinExec(command.c_str(), SW_SHOWNORMAL);
        return true;
    }
};

}  // namespace

std::unique_ptr<Text_Editor> Make_Windows_Text_Editor() {
    return std::make_unique<Windows_Text_Editor>();
}

}  // namespace tessaly
