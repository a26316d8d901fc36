#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "desktop/windows/windows_services.h"

namespace tessaly {

namespace {

// Releases a COM interface when it goes.
template <typename Interface>
struct Com_Reference {
    Interface* Pointer = nullptr;
    ~Com_Reference() {
        if (Pointer != nullptr) {
            Pointer->Release();
        }
    }
};

// Folders from the user's Shell Folders key; shortcuts are shell links.
class Windows_Shell_Folders final : public Shell_Folders {
public:
    Windows_Shell_Folders(HKEY root, std::string key) : root_(root), key_(std::move(key)) {}

    std::optional<std::filesystem::path> Folder(const std::string& name) override {
        const auto value = detail::Read_Registry_Value(root_, key_, name);
        if (!value || value->empty()) {
            return std::nullopt;
        }
        return std::filesystem::path(*value);
    }

    std::string Shortcut_Extension() const override { return ".lnk"; }

    bool Save_Shortcut(const std::filesystem::path& file,
                       const std::filesystem::path& target) override {
        const HRESULT initialised = ::CoInitialize(nullptr);
        bool saved = false;
        {
            // The wide interface: the link file holds the target's own
            // letters, which no ANSI code page may have.
            Com_Reference<IShellLinkW> link;
            Com_Reference<IPersistFile> persist;
            if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IShellLinkW,
                                             reinterpret_cast<void**>(&link.Pointer))) &&
                SUCCEEDED(link.Pointer->SetPath(target.c_str())) &&
                SUCCEEDED(link.Pointer->QueryInterface(
                    IID_IPersistFile, reinterpret_cast<void**>(&persist.Pointer)))) {
                saved = SUCCEEDED(persist.Pointer->Save(file.c_str(), FALSE));
            }
        }
        if (SUCCEEDED(initialised)) {
            ::CoUninitialize();
        }
        return saved;
    }

private:
    HKEY root_;
    std::string key_;
};

}  // namespace

std::unique_ptr<Shell_Folders> Make_Windows_Shell_Folders(HKEY root, std::string key) {
    return std::make_unique<Windows_Shell_Folders>(root, std::move(key));
}

}  // namespace tessaly
