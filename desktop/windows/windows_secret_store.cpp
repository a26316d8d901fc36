// The calendar account's password in the Windows Credential Manager, as a
// generic credential of this user on this machine.
#include <windows.h>
// After windows.h, which it needs.
#include <wincred.h>

#include <cstring>
#include <memory>

#include "core/platform/windows/windows_text.h"
#include "desktop/platform_services.h"
#include "desktop/windows/windows_services.h"

namespace tessaly {

namespace {

struct Credential_Free {
    void operator()(CREDENTIALW* credential) const { ::CredFree(credential); }
};

// Overwritten before it is freed: a password should not linger in memory.
struct Wiped_Text {
    std::wstring text;
    ~Wiped_Text() { ::SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t)); }
};

std::wstring Wide(const std::string& text, const char* what) {
    auto wide = detail::Wide_From_Utf8(text);
    if (!wide) {
        throw Secret_Store_Error(std::string("The calendar account's ") + what +
                                 " is not UTF-8 text and cannot be kept in the Windows "
                                 "Credential Manager.");
    }
    return std::move(*wide);
}

[[noreturn]] void Refused(const char* action, DWORD error) {
    if (error == ERROR_NO_SUCH_LOGON_SESSION) {
        throw Secret_Store_Error(
            "The Windows Credential Manager is not available in this session, so the calendar "
            "password cannot be kept.");
    }
    throw Secret_Store_Error(std::string("The Windows Credential Manager could not ") + action +
                             " the calendar password: " + detail::Windows_Error_Text(error) + ".");
}

class Windows_Secret_Store final : public Secret_Store {
public:
    std::optional<std::string> Read_Password(const std::string& server,
                                             const std::string& user) override {
        const std::wstring target = Wide(Credential_Target(server, user), "address");
        CREDENTIALW* found = nullptr;
        if (!::CredReadW(target.c_str(), CRED_TYPE_GENERIC, 0, &found)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_NOT_FOUND) {
                return std::nullopt;
            }
            Refused("read", error);
        }
        const std::unique_ptr<CREDENTIALW, Credential_Free> credential(found);
        const auto* bytes = reinterpret_cast<const char*>(credential->CredentialBlob);
        const std::size_t size = credential->CredentialBlobSize;
        if (size == 0) {
            return std::string();
        }
        // Windows' own tools keep a password as UTF-16; bytes of an odd
        // count can only be a password kept as it was typed.
        if (size % 2 != 0) {
            return std::string(bytes, size);
        }
        Wiped_Text wide{std::wstring(size / 2, L'\0')};
        std::memcpy(wide.text.data(), bytes, size);
        return detail::Utf8_From_Wide(wide.text);
    }

    void Store_Password(const std::string& server, const std::string& user,
                        const std::string& password) override {
        const std::wstring target = Wide(Credential_Target(server, user), "address");
        std::wstring user_name = Wide(user, "user name");
        Wiped_Text secret{Wide(password, "password")};
        const std::size_t size = secret.text.size() * sizeof(wchar_t);
        if (size > CRED_MAX_CREDENTIAL_BLOB_SIZE) {
            throw Secret_Store_Error(
                "The calendar password is longer than the Windows Credential "
                "Manager keeps (" +
                std::to_string(CRED_MAX_CREDENTIAL_BLOB_SIZE / 2) + " characters).");
        }
        std::wstring comment = L"The password of a calendar account of Tessaly";
        CREDENTIALW credential{};
        credential.Type = CRED_TYPE_GENERIC;
        credential.TargetName = const_cast<wchar_t*>(target.c_str());
        credential.Comment = comment.data();
        credential.CredentialBlobSize = static_cast<DWORD>(size);
        credential.CredentialBlob = reinterpret_cast<BYTE*>(secret.text.data());
        // This machine only: a roaming profile does not carry it elsewhere.
        credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
        credential.UserName = user_name.data();
        if (!::CredWriteW(&credential, 0)) {
            Refused("keep", ::GetLastError());
        }
    }

    void Forget_Password(const std::string& server, const std::string& user) override {
        const std::wstring target = Wide(Credential_Target(server, user), "address");
        if (!::CredDeleteW(target.c_str(), CRED_TYPE_GENERIC, 0)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_NOT_FOUND) {
                Refused("forget", error);
            }
        }
    }
};

}  // namespace

std::string Credential_Target(const std::string& server, const std::string& user) {
    // "@" and "%" escaped in the user's name, so that the first "@" always
    // ends it: "a@b" at "c" and "a" at "b@c" are two credentials.
    std::string target = "Tessaly CalDAV:";
    for (const char c : user) {
        if (c == '@') {
            target += "%40";
        } else if (c == '%') {
            target += "%25";
        } else {
            target += c;
        }
    }
    return target + "@" + server;
}

std::unique_ptr<Secret_Store> Make_Secret_Store() {
    return std::make_unique<Windows_Secret_Store>();
}

}  // namespace tessaly
