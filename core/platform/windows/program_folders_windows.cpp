#include <windows.h>

#include <cstdlib>
#include <string>
#include <system_error>

#include "core/platform/windows/windows_text.h"
#include "core/program_folders.h"

namespace tessaly {

namespace {

std::optional<std::filesystem::path> Environment_Value(const wchar_t* name) {
    const wchar_t* value = ::_wgetenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::filesystem::path(value);
}

}  // namespace

namespace detail {

// Folders under Program Files refuse writes by their permissions, which no
// attribute shows: only a real file tells.
bool Folder_Writable(const std::filesystem::path& folder) {
    const std::filesystem::path probe = folder / L".tessaly-write-probe";
    const HANDLE handle =
        ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(handle);
    return true;
}

void Read_Base_Folders(Folder_Facts& facts) {
    // Settings and list roam with the user's profile.
    facts.Data_Home = Environment_Value(L"APPDATA");
    facts.Config_Home = facts.Data_Home;
    facts.Default_Data_Home =
        Environment_Value(L"USERPROFILE").value_or(L"C:\\") / "AppData" / "Roaming";
    facts.Default_Config_Home = facts.Default_Data_Home;
    facts.User_Folder_Name = "Tessaly";
}

// The installer (packaging/windows/tessaly.nsi) writes this uninstaller
// beside the program; the text files are installed beside it too.
void Read_Installer_Record(Folder_Facts& facts) {
    std::error_code error;
    if (std::filesystem::is_regular_file(facts.Executable_Folder / L"Uninstall.exe", error)) {
        facts.In_Installed_Program_Folder = true;
        facts.Installed_Text_Folder = facts.Executable_Folder;
    }
}

}  // namespace detail

std::optional<std::string> Create_Program_Folders(const Program_Folders& folders) {
    for (const std::filesystem::path& folder : {folders.Data_Folder, folders.Settings_Folder}) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error || !std::filesystem::is_directory(folder, error)) {
            // The library's text for a system error is in the ANSI code
            // page; the system's own comes in UTF-8 like every message.
            if (error && error.category() != std::system_category()) {
                return folder.string() + ": " + error.message();
            }
            const DWORD reason = error ? static_cast<DWORD>(error.value()) : ERROR_DIRECTORY;
            return folder.string() + ": " + detail::Windows_Error_Text(reason);
        }
    }
    return std::nullopt;
}

}  // namespace tessaly
