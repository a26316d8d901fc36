#include <windows.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <QTimer>
#include <QWinEventNotifier>

#include <memory>
#include <string>
#include <utility>
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

bool Same_User(ULONG process_id) {
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
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

std::wstring Pipe_Path(const QString& name) {
    return L"\\\\.\\pipe\\" + name.toStdWString();
}

// One overlapped operation: its event, which the notifier watches.
struct Pending_Io {
    Pending_Io() : event(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) { io.hEvent = event; }
    ~Pending_Io() {
        if (event != nullptr) {
            ::CloseHandle(event);
        }
    }
    Pending_Io(const Pending_Io&) = delete;
    Pending_Io& operator=(const Pending_Io&) = delete;
    // Ends the operation, if it is still running, before its buffer goes.
    void Cancel(HANDLE file) {
        if (running) {
            ::CancelIoEx(file, &io);
            DWORD ignored = 0;
            ::GetOverlappedResult(file, &io, &ignored, TRUE);
            running = false;
        }
    }

    OVERLAPPED io{};
    HANDLE event;
    bool running = false;
};

class Pipe_Link final : public Activation_Link {
public:
    Pipe_Link(HANDLE pipe, bool server_end, QObject* parent = nullptr)
        : Activation_Link(parent), pipe_(pipe), server_end_(server_end) {
        readable_ = new QWinEventNotifier(read_.event, this);
        connect(readable_, &QWinEventNotifier::activated, this, [this] { Read_Done(); });
        Start_Read();
    }
    ~Pipe_Link() override { Close(); }
    Pipe_Link(const Pipe_Link&) = delete;
    Pipe_Link& operator=(const Pipe_Link&) = delete;

    void Send(const QByteArray& bytes) override {
        DWORD ignored = 0;
        if (write_.running && ::GetOverlappedResult(pipe_, &write_.io, &ignored, FALSE)) {
            write_.running = false;
        }
        // A write still waiting for room means a reader that reads nothing.
        if (pipe_ == INVALID_HANDLE_VALUE || write_.running || bytes.isEmpty()) {
            return;
        }
        outgoing_ = bytes;
        write_.running = ::WriteFile(pipe_, outgoing_.constData(),
                                     static_cast<DWORD>(outgoing_.size()), nullptr, &write_.io) ||
                         ::GetLastError() == ERROR_IO_PENDING;
    }

    void Close() override {
        if (pipe_ == INVALID_HANDLE_VALUE) {
            return;
        }
        readable_->setEnabled(false);
        read_.Cancel(pipe_);
        // The pipe keeps a finished write for its reader after the close;
        // one still waiting for room is given up.
        DWORD ignored = 0;
        if (write_.running && ::GetOverlappedResult(pipe_, &write_.io, &ignored, FALSE)) {
            write_.running = false;
        }
        write_.Cancel(pipe_);
        ::CloseHandle(pipe_);
        pipe_ = INVALID_HANDLE_VALUE;
    }

    bool Peer_Is_This_User() const override {
        ULONG peer = 0;
        return pipe_ != INVALID_HANDLE_VALUE &&
               (server_end_ ? ::GetNamedPipeClientProcessId(pipe_, &peer)
                            : ::GetNamedPipeServerProcessId(pipe_, &peer)) &&
               Same_User(peer);
    }

private:
    void Start_Read() {
        read_.running = ::ReadFile(pipe_, buffer_, sizeof buffer_, nullptr, &read_.io) ||
                        ::GetLastError() == ERROR_IO_PENDING;
        if (!read_.running) {
            // Reported from the event loop, as every other end is.
            ::SetEvent(read_.event);
        }
    }

    void Read_Done() {
        DWORD got = 0;
        bool ok = false;
        if (read_.running) {
            ok = ::GetOverlappedResult(pipe_, &read_.io, &got, FALSE);
            if (!ok && ::GetLastError() == ERROR_IO_INCOMPLETE) {
                return;
            }
            read_.running = false;
        }
        if (!ok || got == 0) {
            readable_->setEnabled(false);
            ::ResetEvent(read_.event);
            if (Received) {
                Received({});
            }
            return;
        }
        const QByteArray piece(buffer_, static_cast<qsizetype>(got));
        // Received may close the link.
        if (Received) {
            Received(piece);
        }
        if (pipe_ != INVALID_HANDLE_VALUE) {
            Start_Read();
        }
    }

    HANDLE pipe_;
    bool server_end_;
    Pending_Io read_;
    Pending_Io write_;
    QWinEventNotifier* readable_ = nullptr;
    char buffer_[Read_Chunk] = {};
    QByteArray outgoing_;
};

// The pipe admits this user alone, and no caller from another computer.
class Pipe_Server final : public QObject {
public:
    Pipe_Server(std::wstring path, std::vector<BYTE> access_list,
                std::function<void(Activation_Link*)> caller, QObject* parent)
        : QObject(parent),
          path_(std::move(path)),
          access_list_(std::move(access_list)),
          caller_(std::move(caller)) {
        ::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION);
        ::SetSecurityDescriptorDacl(&descriptor_, TRUE, reinterpret_cast<ACL*>(access_list_.data()),
                                    FALSE);
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = &descriptor_;
        attributes_.bInheritHandle = FALSE;
        incoming_ = new QWinEventNotifier(connect_.event, this);
        connect(incoming_, &QWinEventNotifier::activated, this, [this] { Connected(); });
    }
    ~Pipe_Server() override { Stop(); }
    Pipe_Server(const Pipe_Server&) = delete;
    Pipe_Server& operator=(const Pipe_Server&) = delete;

    // The first instance fails when another process serves the name already.
    bool Next_Instance(bool first) {
        pipe_ = ::CreateNamedPipeW(
            path_.c_str(),
            PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
            PIPE_UNLIMITED_INSTANCES, Buffer_Size, Buffer_Size, 0, &attributes_);
        if (pipe_ == INVALID_HANDLE_VALUE) {
            return false;
        }
        connect_.running = !::ConnectNamedPipe(pipe_, &connect_.io);
        const DWORD error = ::GetLastError();
        if (connect_.running && error == ERROR_IO_PENDING) {
            return true;
        }
        connect_.running = false;
        if (error == ERROR_PIPE_CONNECTED) {
            // A caller came between the creation and the wait.
            ::SetEvent(connect_.event);
            return true;
        }
        ::CloseHandle(pipe_);
        pipe_ = INVALID_HANDLE_VALUE;
        return false;
    }

private:
    static constexpr DWORD Buffer_Size = 4096;

    void Connected() {
        if (pipe_ == INVALID_HANDLE_VALUE) {
            return;
        }
        DWORD ignored = 0;
        bool ok = true;
        if (connect_.running) {
            ok = ::GetOverlappedResult(pipe_, &connect_.io, &ignored, FALSE);
            if (!ok && ::GetLastError() == ERROR_IO_INCOMPLETE) {
                return;
            }
            connect_.running = false;
        }
        ::ResetEvent(connect_.event);
        const HANDLE caller = pipe_;
        pipe_ = INVALID_HANDLE_VALUE;
        if (ok) {
            caller_(new Pipe_Link(caller, true, parent()));
        } else {
            ::CloseHandle(caller);  // the caller left before it was served
        }
        if (!Next_Instance(false)) {
            // Out of handles, say: the next caller finds no pipe, and the
            // window goes on without answering.
            Stop();
        }
    }

    void Stop() {
        incoming_->setEnabled(false);
        if (pipe_ != INVALID_HANDLE_VALUE) {
            connect_.Cancel(pipe_);
            ::CloseHandle(pipe_);
            pipe_ = INVALID_HANDLE_VALUE;
        }
    }

    std::wstring path_;
    std::vector<BYTE> access_list_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    std::function<void(Activation_Link*)> caller_;
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
    Pending_Io connect_;
    QWinEventNotifier* incoming_ = nullptr;
};

}  // namespace

// The pipe's access list, set by the server, admits this user alone.
QString Activation_Address(const QString& name) {
    return name;
}

Connect_Result Connect_To_Server(const QString& address) {
    // Identification only: a server may learn who calls, never act as them.
    const HANDLE pipe = ::CreateFileW(
        Pipe_Path(address).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
        FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) {
        return {Connect_Status::Connected, std::make_unique<Pipe_Link>(pipe, false)};
    }
    switch (::GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
            return {Connect_Status::Not_There, nullptr};
        case ERROR_PIPE_BUSY:
            return {Connect_Status::Busy, nullptr};
        default:
            return {Connect_Status::Failed, nullptr};
    }
}

QObject* Serve_Address(const QString& address, QObject* parent,
                       std::function<void(Activation_Link*)> caller) {
    const std::vector<BYTE> user = Process_User(::GetCurrentProcess());
    if (user.empty()) {
        return nullptr;
    }
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
    const DWORD list_size =
        sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(sid);
    std::vector<BYTE> access_list(list_size);
    auto* const list = reinterpret_cast<ACL*>(access_list.data());
    if (!::InitializeAcl(list, list_size, ACL_REVISION) ||
        !::AddAccessAllowedAce(list, ACL_REVISION, GENERIC_ALL, sid)) {
        return nullptr;
    }
    auto server = std::make_unique<Pipe_Server>(Pipe_Path(address), std::move(access_list),
                                                std::move(caller), parent);
    if (!server->Next_Instance(true)) {
        return nullptr;
    }
    return server.release();
}

namespace {

// Held for as long as the file is open: Windows closes it when the process
// ends in any way, and nothing else can write or remove it before then.
class Open_Lock_File final : public Data_File_Lock {
public:
    Open_Lock_File(HANDLE file, std::wstring path) : file_(file), path_(std::move(path)) {}
    ~Open_Lock_File() override {
        ::CloseHandle(file_);
        // A start that opened it since keeps it: the removal then fails.
        ::DeleteFileW(path_.c_str());
    }
    Open_Lock_File(const Open_Lock_File&) = delete;
    Open_Lock_File& operator=(const Open_Lock_File&) = delete;

private:
    HANDLE file_;
    std::wstring path_;
};

}  // namespace

Lock_Attempt Take_Data_File_Lock(const QString& lock_path) {
    const std::wstring path = QDir::toNativeSeparators(lock_path).toStdWString();
    // Others may read who holds it, never write it or remove it. A file left
    // by a holder that has ended is open to no one and is simply taken: its
    // process id says nothing, as Windows gives ids out again.
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        switch (::GetLastError()) {
            case ERROR_SHARING_VIOLATION:
            case ERROR_LOCK_VIOLATION:
                return {Lock_Status::Held, nullptr};
            case ERROR_ACCESS_DENIED:
                return {Lock_Status::No_Permission, nullptr};
            default:
                return {Lock_Status::Failed, nullptr};
        }
    }
    // The holder, in the lines QLockFile writes, for whoever looks.
    const QByteArray holder =
        QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
        QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() + '\n' +
        QSysInfo::machineHostName().toUtf8() + '\n';
    DWORD written = 0;
    ::WriteFile(file, holder.constData(), static_cast<DWORD>(holder.size()), &written, nullptr);
    ::SetEndOfFile(file);
    return {Lock_Status::Taken, std::make_unique<Open_Lock_File>(file, path)};
}

}  // namespace tessaly::detail
