#include <windows.h>

#include <memory>
#include <vector>

#include "ui/common/single_instance_platform.h"

namespace tessaly::detail {

namespace {

struct Handle_Closer {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using Owned_Handle = std::unique_ptr<void, Handle_Closer>;

// The account the process runs as, as its token's user entry; empty when the
// process cannot be asked (which another user's often cannot).
std::vector<BYTE> Process_User(HANDLE process) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &token)) {
        return {};
    }
    const Owned_Handle owned_token(token);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size == 0 || !::GetTokenInformation(token, TokenUser, user.data(), size, &size)) {
        return {};
    }
    return user;
}

}  // namespace

// The pipe's access list, set by the server, admits this user alone.
QString Activation_Address(const QString& name) {
    return name;
}

bool Peer_Is_This_User(qintptr socket_descriptor) {
    const auto pipe = reinterpret_cast<HANDLE>(socket_descriptor);
    DWORD flags = 0;
    ULONG peer = 0;
    if (!::GetNamedPipeInfo(pipe, &flags, nullptr, nullptr, nullptr) ||
        !((flags & PIPE_SERVER_END) != 0 ? ::GetNamedPipeClientProcessId(pipe, &peer)
                                         : ::GetNamedPipeServerProcessId(pipe, &peer))) {
        return false;
    }
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, peer);
    if (process == nullptr) {
        return false;
    }
    const Owned_Handle owned_process(process);
    const std::vector<BYTE> theirs = Process_User(process);
    const std::vector<BYTE> ours = Process_User(::GetCurrentProcess());
    return !theirs.empty() && !ours.empty() &&
           ::EqualSid(reinterpret_cast<const TOKEN_USER*>(theirs.data())->User.Sid,
                      reinterpret_cast<const TOKEN_USER*>(ours.data())->User.Sid);
}

}  // namespace tessaly::detail
