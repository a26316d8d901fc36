#include <vector>

#include "desktop/windows/windows_services.h"

namespace tessaly {

namespace detail {

std::string Relative_Key(const std::string& key) {
    return !key.empty() && key.front() == '\\' ? key.substr(1) : key;
}

std::optional<std::string> Read_Registry_Value(HKEY root, const std::string& key,
                                               const std::string& name) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(root, Relative_Key(key).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::optional<std::string> value;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(opened, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        // One more byte, since a stored string need not end in a NUL.
        std::vector<char> bytes(size + 1, '\0');
        DWORD got = size;
        if (::RegQueryValueExA(opened, name.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(bytes.data()), &got) == ERROR_SUCCESS) {
            value = std::string(bytes.data());
        }
    }
    ::RegCloseKey(opened);
    return value;
}

}  // namespace detail

namespace {

// Values of one registry key. The key is opened, never created.
class Windows_Auto_Start_Entries final : public Auto_Start_Entries {
public:
    Windows_Auto_Start_Entries(HKEY root, std::string key) : root_(root), key_(std::move(key)) {}

    std::string Key_Path() override { return key_; }

    bool Key_Exists() override {
        HKEY opened = nullptr;
        if (::RegOpenKeyExA(root_, detail::Relative_Key(key_).c_str(), 0, KEY_READ, &opened) !=
            ERROR_SUCCESS) {
            return false;
        }
        ::RegCloseKey(opened);
        return true;
    }

    std::optional<std::string> Read_Entry(const std::string& name) override {
        return detail::Read_Registry_Value(root_, key_, name);
    }

    bool Write_Entry(const std::string& name, const std::string& program_path) override {
        HKEY opened = nullptr;
        if (::RegOpenKeyExA(root_, detail::Relative_Key(key_).c_str(), 0, KEY_READ | KEY_WRITE,
                            &opened) != ERROR_SUCCESS) {
            return false;
        }
        const LONG result = ::RegSetValueExA(opened, name.c_str(), 0, REG_SZ,
                                             reinterpret_cast<const BYTE*>(program_path.c_str()),
                                             static_cast<DWORD>(program_path.size() + 1));
        ::RegCloseKey(opened);
        return result == ERROR_SUCCESS;
    }

    bool Delete_Entry(const std::string& name) override {
        HKEY opened = nullptr;
        if (::RegOpenKeyExA(root_, detail::Relative_Key(key_).c_str(), 0, KEY_READ | KEY_WRITE,
                            &opened) != ERROR_SUCCESS) {
            return false;
        }
        const LONG result = ::RegDeleteValueA(opened, name.c_str());
        ::RegCloseKey(opened);
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }

    bool Paths_Ignore_Case() const override { return true; }

private:
    HKEY root_;
    std::string key_;
};

}  // namespace

std::unique_ptr<Auto_Start_Entries> Make_Windows_Auto_Start_Entries(HKEY root, std::string key) {
    return std::make_unique<Windows_Auto_Start_Entries>(root, std::move(key));
}

}  // namespace tessaly
