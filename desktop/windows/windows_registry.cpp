#include "desktop/windows/windows_services.h"
// After windows.h, which they need.
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include "core/platform/windows/windows_text.h"
#include "desktop/run_keys.h"

namespace tessaly {

namespace detail {

std::string Relative_Key(const std::string& key) {
    return !key.empty() && key.front() == '\\' ? key.substr(1) : key;
}

// Keys, names and values go in and out in UTF-16: a value written so reads
// the same through the ANSI calls of other programs, as far as their code
// page goes, and holds every letter of a user's folder names.
std::optional<HKEY> Open_Registry_Key(HKEY root, const std::string& key, REGSAM access) {
    const auto relative = Wide_From_Utf8(Relative_Key(key));
    HKEY opened = nullptr;
    if (!relative ||
        ::RegOpenKeyExW(root, relative->c_str(), 0, access, &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return opened;
}

std::optional<std::wstring> Read_Registry_Value(HKEY root, const std::string& key,
                                                const std::string& name) {
    const auto wide_name = Wide_From_Utf8(name);
    const auto opened = wide_name ? Open_Registry_Key(root, key, KEY_READ) : std::nullopt;
    if (!opened) {
        return std::nullopt;
    }
    std::optional<std::wstring> value;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(*opened, wide_name->c_str(), nullptr, &type, nullptr, &size) ==
            ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        // Room for one more character, since a stored string need not end in
        // a NUL, nor be a whole number of characters long.
        std::wstring characters(size / sizeof(wchar_t) + 2, L'\0');
        DWORD got = size;
        if (::RegQueryValueExW(*opened, wide_name->c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(characters.data()), &got) == ERROR_SUCCESS) {
            value = std::wstring(characters.c_str());
        }
    }
    ::RegCloseKey(*opened);
    return value;
}

std::optional<std::string> Read_Registry_Bytes(HKEY root, const std::string& key,
                                               const std::string& name) {
    const auto wide_name = Wide_From_Utf8(name);
    const auto opened = wide_name ? Open_Registry_Key(root, key, KEY_READ) : std::nullopt;
    if (!opened) {
        return std::nullopt;
    }
    std::optional<std::string> bytes;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(*opened, wide_name->c_str(), nullptr, &type, nullptr, &size) ==
        ERROR_SUCCESS) {
        std::string read(size, '\0');
        DWORD got = size;
        if (::RegQueryValueExW(*opened, wide_name->c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(read.data()), &got) == ERROR_SUCCESS) {
            read.resize(got);
            bytes = std::move(read);
        }
    }
    ::RegCloseKey(*opened);
    return bytes;
}

}  // namespace detail

namespace {

// Values of one registry key. The key is opened, never created. With the
// Task Manager's start-up switches beside it, an entry switched off there is
// no entry, and writing one switches it on again.
class Windows_Auto_Start_Entries final : public Auto_Start_Entries {
public:
    Windows_Auto_Start_Entries(HKEY root, std::string key, std::string approved_key)
        : root_(root), key_(std::move(key)), approved_key_(std::move(approved_key)) {}

    std::string Key_Path() override { return key_; }

    bool Key_Exists() override {
        const auto opened = detail::Open_Registry_Key(root_, key_, KEY_READ);
        if (opened) {
            ::RegCloseKey(*opened);
        }
        return opened.has_value();
    }

    std::optional<std::string> Read_Entry(const std::string& name) override {
        const auto value = detail::Read_Registry_Value(root_, key_, name);
        if (!value || Switched_Off(name)) {
            return std::nullopt;
        }
        return detail::Utf8_From_Wide(*value);
    }

    bool Write_Entry(const std::string& name, const std::string& program_path) override {
        const auto wide_name = detail::Wide_From_Utf8(name);
        const auto wide_path = detail::Wide_From_Utf8(program_path);
        const auto opened = wide_name && wide_path
                                ? detail::Open_Registry_Key(root_, key_, KEY_READ | KEY_WRITE)
                                : std::nullopt;
        if (!opened) {
            return false;
        }
        const LONG result =
            ::RegSetValueExW(*opened, wide_name->c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(wide_path->c_str()),
                             static_cast<DWORD>((wide_path->size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(*opened);
        if (result != ERROR_SUCCESS) {
            return false;
        }
        if (Switched_Off(name)) {
            // The caller's read-back shows whether this took.
            Switch_On(name);
        }
        return true;
    }

    bool Delete_Entry(const std::string& name) override {
        const auto wide_name = detail::Wide_From_Utf8(name);
        const auto opened =
            wide_name ? detail::Open_Registry_Key(root_, key_, KEY_READ | KEY_WRITE) : std::nullopt;
        if (!opened) {
            return false;
        }
        const LONG result = ::RegDeleteValueW(*opened, wide_name->c_str());
        ::RegCloseKey(*opened);
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }

    bool Paths_Ignore_Case() const override { return true; }

private:
    bool Switched_Off(const std::string& name) const {
        if (approved_key_.empty()) {
            return false;
        }
        const auto bytes = detail::Read_Registry_Bytes(root_, approved_key_, name);
        return bytes && Startup_Approved_Is_Off(*bytes);
    }

    void Switch_On(const std::string& name) const {
        const auto wide_name = detail::Wide_From_Utf8(name);
        const auto opened =
            wide_name ? detail::Open_Registry_Key(root_, approved_key_, KEY_READ | KEY_WRITE)
                      : std::nullopt;
        if (!opened) {
            return;
        }
        const std::string on = Startup_Approved_On_Bytes();
        ::RegSetValueExW(*opened, wide_name->c_str(), 0, REG_BINARY,
                         reinterpret_cast<const BYTE*>(on.data()), static_cast<DWORD>(on.size()));
        ::RegCloseKey(*opened);
    }

    HKEY root_;
    std::string key_;
    std::string approved_key_;
};

std::optional<std::string> Known_Folder(const KNOWNFOLDERID& id) {
    PWSTR path = nullptr;
    std::optional<std::string> folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path))) {
        folder = detail::Utf8_From_Wide(path);
    }
    ::CoTaskMemFree(path);
    return folder;
}

}  // namespace

std::vector<std::string> Program_Files_Folders() {
    std::vector<std::string> folders;
    for (const KNOWNFOLDERID* id : {&FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86}) {
        if (auto folder = Known_Folder(*id); folder && !folder->empty()) {
            folders.push_back(std::move(*folder));
        }
    }
    return folders;
}

std::unique_ptr<Auto_Start_Entries> Make_Windows_Auto_Start_Entries(HKEY root, std::string key,
                                                                    std::string approved_key) {
    return std::make_unique<Windows_Auto_Start_Entries>(root, std::move(key),
                                                        std::move(approved_key));
}

std::unique_ptr<Auto_Start_Entries> Make_Windows_Run_Keys(
    HKEY machine_root, HKEY user_root, const std::string& key, const std::string& approved_key,
    std::vector<std::string> program_files_folders) {
    return std::make_unique<Machine_Or_User_Run_Keys>(
        Make_Windows_Auto_Start_Entries(machine_root, key, approved_key),
        Make_Windows_Auto_Start_Entries(user_root, key, approved_key),
        std::move(program_files_folders));
}

}  // namespace tessaly
