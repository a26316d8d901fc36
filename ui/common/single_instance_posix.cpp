#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <utility>

#include "ui/common/single_instance_platform.h"

namespace tessaly::detail {

namespace {

// A real folder (no link to one), owned by this user, that nobody else may
// enter or change.
bool Is_Private_Folder(const QByteArray& folder) {
    struct stat status {};
    return ::lstat(folder.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

QByteArray Private_Folder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && Is_Private_Folder(runtime)) {
        return runtime;
    }
    // A folder of that name that someone else made first is never used.
    const QByteArray own =
        QFile::encodeName(QDir::tempPath()) + "/tessaly-" + QByteArray::number(::geteuid());
    if (::mkdir(own.constData(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    return Is_Private_Folder(own) ? own : QByteArray();
}

}  // namespace

QString Activation_Address(const QString& name) {
    const QByteArray folder = Private_Folder();
    if (folder.isEmpty()) {
        return {};
    }
    return QFile::decodeName(folder) + QLatin1Char('/') + name;
}

namespace {

bool Peer_Runs_As_Us(int fd) {
#if defined(SO_PEERCRED)
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           size == sizeof credentials && credentials.uid == ::geteuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    return ::getpeereid(fd, &uid, &gid) == 0 && uid == ::geteuid();
#endif
}

// Non-blocking and not inherited by the programs the window starts.
bool Prepare(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

int New_Socket() {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && !Prepare(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// False when the path does not fit.
bool Address_Of(const QString& path, sockaddr_un& address) {
    const QByteArray native = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (native.isEmpty() || static_cast<size_t>(native.size()) >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, native.constData(), static_cast<size_t>(native.size()));
    return true;
}

class Socket_Link final : public Activation_Link {
public:
    explicit Socket_Link(int fd, QObject* parent = nullptr)
        : Activation_Link(parent),
          fd_(fd),
          readable_(new QSocketNotifier(fd, QSocketNotifier::Read, this)) {
        connect(readable_, &QSocketNotifier::activated, this, [this] { Read(); });
    }
    ~Socket_Link() override { Close(); }
    Socket_Link(const Socket_Link&) = delete;
    Socket_Link& operator=(const Socket_Link&) = delete;

    void Send(const QByteArray& bytes) override {
        if (fd_ < 0) {
            return;
        }
        qsizetype sent = 0;
        while (sent < bytes.size()) {
            const ssize_t part = ::send(fd_, bytes.constData() + sent,
                                        static_cast<size_t>(bytes.size() - sent), No_Signal);
            if (part < 0 && errno == EINTR) {
                continue;
            }
            if (part <= 0) {
                return;  // a full buffer or a gone reader: the reader sees a short reply
            }
            sent += part;
        }
    }

    void Close() override {
        if (fd_ < 0) {
            return;
        }
        readable_->setEnabled(false);
        ::close(fd_);
        fd_ = -1;
    }

    bool Peer_Is_This_User() const override { return fd_ >= 0 && Peer_Runs_As_Us(fd_); }

private:
#if defined(MSG_NOSIGNAL)
    static constexpr int No_Signal = MSG_NOSIGNAL;
#else
    static constexpr int No_Signal = 0;
#endif

    // One piece at a time: the notifier fires again while more waits.
    void Read() {
        char buffer[Read_Chunk];
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            return;
        }
        if (got <= 0) {
            // The end stays readable: without this the notifier would fire on.
            readable_->setEnabled(false);
        }
        if (Received) {
            Received(got > 0 ? QByteArray(buffer, got) : QByteArray());
        }
    }

    int fd_;
    QSocketNotifier* readable_;
};

class Socket_Server final : public QObject {
public:
    Socket_Server(int fd, QByteArray path, std::function<void(Activation_Link*)> caller,
                  QObject* parent)
        : QObject(parent),
          fd_(fd),
          path_(std::move(path)),
          caller_(std::move(caller)),
          incoming_(new QSocketNotifier(fd, QSocketNotifier::Read, this)) {
        struct stat status {};
        if (::stat(path_.constData(), &status) == 0) {
            device_ = status.st_dev;
            inode_ = status.st_ino;
        }
        connect(incoming_, &QSocketNotifier::activated, this, [this] { Accept(); });
    }
    ~Socket_Server() override {
        ::close(fd_);
        // Only this server's own file: a later holder may have replaced it.
        struct stat status {};
        if (::stat(path_.constData(), &status) == 0 && status.st_dev == device_ &&
            status.st_ino == inode_) {
            ::unlink(path_.constData());
        }
    }
    Socket_Server(const Socket_Server&) = delete;
    Socket_Server& operator=(const Socket_Server&) = delete;

private:
    void Accept() {
        for (;;) {
            const int fd = ::accept(fd_, nullptr, nullptr);
            if (fd < 0) {
                if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                    // Out of descriptors: the waiting caller would wake the
                    // notifier at once, so it rests a while.
                    incoming_->setEnabled(false);
                    QTimer::singleShot(100, this, [this] { incoming_->setEnabled(true); });
                }
                return;
            }
            if (!Prepare(fd)) {
                ::close(fd);
                continue;
            }
            caller_(new Socket_Link(fd, parent()));
        }
    }

    int fd_;
    QByteArray path_;
    std::function<void(Activation_Link*)> caller_;
    QSocketNotifier* incoming_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

}  // namespace

Connect_Result Connect_To_Server(const QString& address) {
    sockaddr_un socket_address{};
    if (!Address_Of(address, socket_address)) {
        return {Connect_Status::Failed, nullptr};
    }
    const int fd = New_Socket();
    if (fd < 0) {
        return {Connect_Status::Failed, nullptr};
    }
    int result = -1;
    do {
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&socket_address),
                           sizeof socket_address);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        return {Connect_Status::Connected, std::make_unique<Socket_Link>(fd)};
    }
    const int error = errno;
    ::close(fd);
    switch (error) {
        case ENOENT:
        case ECONNREFUSED:
            return {Connect_Status::Not_There, nullptr};
        case EAGAIN:  // the server's queue of callers is full
            return {Connect_Status::Busy, nullptr};
        default:
            return {Connect_Status::Failed, nullptr};
    }
}

QObject* Serve_Address(const QString& address, QObject* parent,
                       std::function<void(Activation_Link*)> caller) {
    sockaddr_un socket_address{};
    if (!Address_Of(address, socket_address)) {
        return nullptr;
    }
    const int fd = New_Socket();
    if (fd < 0) {
        return nullptr;
    }
    // A crashed holder's socket file, or one that no one answers.
    ::unlink(socket_address.sun_path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&socket_address), sizeof socket_address) !=
            0 ||
        ::chmod(socket_address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        return nullptr;
    }
    return new Socket_Server(fd, socket_address.sun_path, std::move(caller), parent);
}

namespace {

class Qt_Lock final : public Data_File_Lock {
public:
    explicit Qt_Lock(const QString& path) : lock(path) {}
    QLockFile lock;
};

}  // namespace

Lock_Attempt Take_Data_File_Lock(const QString& lock_path) {
    auto held = std::make_unique<Qt_Lock>(lock_path);
    // The lock lasts as long as the window: only a dead holder makes it
    // stale, never its age. A dead holder's lock is taken over by tryLock.
    held->lock.setStaleLockTime(0);
    if (held->lock.tryLock(0)) {
        return {Lock_Status::Taken, std::move(held)};
    }
    switch (held->lock.error()) {
        case QLockFile::LockFailedError:
            return {Lock_Status::Held, nullptr};
        case QLockFile::PermissionError:
            return {Lock_Status::No_Permission, nullptr};
        default:
            return {Lock_Status::Failed, nullptr};
    }
}

}  // namespace tessaly::detail
