#include "ui/common/single_instance.h"

#include "ui/common/qt_path.h"
#include "ui/common/single_instance_platform.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <system_error>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace tessaly {

namespace {

namespace fs = std::filesystem;

// The request, then optionally a blank and the activation token.
constexpr char Request[] = "tessaly-activate";
constexpr char Answer[] = "tessaly-activated\n";
constexpr qsizetype Longest_Token = 255;
// Anything longer than the longest request is no request.
constexpr qint64 Longest_Request = 64 + Longest_Token;
// A caller that connects and says nothing is dropped after this.
constexpr int Idle_Connection_Ms = 5000;
constexpr int Retry_Interval_Ms = 100;

// Symbolic links and "." or ".." resolved, so that every spelling of one
// file gives one path. The file itself need not exist yet.
fs::path Canonical(const fs::path& file) {
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(file, error);
    if (error) {
        resolved = fs::absolute(file, error).lexically_normal();
    }
    return resolved;
}

QString User_Key() {
#if defined(Q_OS_UNIX)
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

}  // namespace

Single_Instance::Single_Instance(QObject* parent) : QObject(parent) {}

Single_Instance::~Single_Instance() {
    // The server goes first: a start that finds it must also find the lock.
    delete server_;
    server_ = nullptr;
    lock_.reset();
}

fs::path Single_Instance::Lock_File_Path(const fs::path& data_file) {
    const fs::path file = Canonical(data_file);
    fs::path name(".");
    name += file.filename();
    name += ".lock";
    return file.parent_path() / name;
}

QString Single_Instance::Server_Name(const fs::path& data_file) {
    const QByteArray digest =
        QCryptographicHash::hash(Path_Bytes(Canonical(data_file)), QCryptographicHash::Sha256);
    return detail::Activation_Address(
        QStringLiteral("tessaly-%1-%2")
            .arg(User_Key(), QString::fromLatin1(digest.toHex().left(32))));
}

Acquire_Result Single_Instance::Acquire(const fs::path& data_file,
                                        const QString& activation_token) {
    const fs::path lock_path = Lock_File_Path(data_file);
    const QString server_name = Server_Name(data_file);
    lock_ = std::make_unique<QLockFile>(To_Qt_Path(lock_path));
    // The lock lasts as long as the window: only a dead holder makes it
    // stale, never its age. A dead holder's lock is taken over by tryLock.
    lock_->setStaleLockTime(0);

    if (lock_->tryLock(0)) {
        Listen(server_name);
        return {Instance_Outcome::Acquired, {}};
    }
    if (lock_->error() == QLockFile::LockFailedError) {
        if (Ask_To_Activate(server_name, true, activation_token)) {
            return {Instance_Outcome::Other_Instance_Activated, {}};
        }
        // The holder may have closed while we waited.
        if (lock_->tryLock(0)) {
            Listen(server_name);
            return {Instance_Outcome::Acquired, {}};
        }
        return {Instance_Outcome::Other_Instance_Unreachable, {}};
    }

    // Without a lock file the program runs on: in a read-only folder nothing
    // can be written anyway. A window on this computer can still be found.
    const QString reason =
        (lock_->error() == QLockFile::PermissionError ? QStringLiteral("No permission to create ")
                                                      : QStringLiteral("Cannot create ")) +
        To_Qt_Path(lock_path);
    if (Ask_To_Activate(server_name, false, activation_token)) {
        return {Instance_Outcome::Other_Instance_Activated, {}};
    }
    Listen(server_name);
    return {Instance_Outcome::Lock_Unavailable, reason};
}

bool Single_Instance::Ask_To_Activate(const QString& server_name, bool keep_trying,
                                      const QString& activation_token) {
    if (server_name.isEmpty()) {
        return false;
    }
    QLocalSocket socket;
    QEventLoop loop;
    QTimer give_up;
    QTimer retry;
    give_up.setSingleShot(true);
    retry.setSingleShot(true);
    bool finished = false;
    bool activated = false;
    QByteArray reply;

    const auto finish = [&] {
        finished = true;
        loop.quit();
    };
    connect(&give_up, &QTimer::timeout, &loop, finish);
    connect(&retry, &QTimer::timeout, &loop, [&] { socket.connectToServer(server_name); });
    connect(&socket, &QLocalSocket::connected, &loop, [&] {
        // Another user's server could answer "activated" and end this start.
        if (!detail::Peer_Is_This_User(socket.socketDescriptor())) {
            finish();
            return;
        }
        QByteArray request(Request);
        if (Is_Activation_Token(activation_token)) {
            request += ' ' + activation_token.toLatin1();
        }
        socket.write(request + '\n');
    });
    connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        reply += socket.readAll();
        if (reply.contains('\n') || reply.size() > Longest_Request) {
            activated = reply == Answer;
            finish();
        }
    });
    connect(&socket, &QLocalSocket::errorOccurred, &loop,
            [&](QLocalSocket::LocalSocketError error) {
                const bool not_there = error == QLocalSocket::ServerNotFoundError ||
                                       error == QLocalSocket::ConnectionRefusedError;
                if (keep_trying && not_there) {
                    retry.start(Retry_Interval_Ms);
                } else {
                    finish();
                }
            });

    give_up.start(Answer_Timeout_Ms);
    // Errors may come before connectToServer returns, and a quit before
    // exec() would be lost.
    socket.connectToServer(server_name);
    if (!finished) {
        loop.exec();
    }
    socket.abort();
    return activated;
}

void Single_Instance::Listen(const QString& server_name) {
    if (server_name.isEmpty()) {
        return;  // the lock alone keeps a second window off the file
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Whatever answers under this name now is a crashed holder's socket file
    // or a window that would not answer: either way it serves no one.
    QLocalServer::removeServer(server_name);
    if (!server_->listen(server_name)) {
        // The lock alone still keeps a second window off the file; a later
        // start then reports the running one instead of raising it.
        delete server_;
        server_ = nullptr;
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* connection = server_->nextPendingConnection()) {
            Serve(connection);
        }
    });
}

void Single_Instance::Serve(QLocalSocket* connection) {
    if (!detail::Peer_Is_This_User(connection->socketDescriptor())) {
        connection->abort();
        connection->deleteLater();
        return;
    }
    connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
    QTimer::singleShot(Idle_Connection_Ms, connection, [connection] {
        connection->abort();
        connection->deleteLater();
    });
    const auto read_request = [this, connection] {
        if (!connection->canReadLine()) {
            if (connection->bytesAvailable() > Longest_Request) {
                connection->abort();
                connection->deleteLater();
            }
            return;
        }
        const QByteArray line = connection->readLine(Longest_Request + 1);
        const QByteArray request = QByteArray(Request);
        QString token;
        if (line.startsWith(request + ' ') && line.endsWith('\n')) {
            token = QString::fromLatin1(line.mid(request.size() + 1).chopped(1));
        }
        if (line != request + '\n' && !Is_Activation_Token(token)) {
            connection->abort();
            connection->deleteLater();
            return;
        }
        // Answered first: the caller is waiting, the raising may take a while.
        connection->write(Answer);
        connection->flush();
        connection->disconnectFromServer();
        emit Activation_Requested(token);
    };
    connect(connection, &QLocalSocket::readyRead, this, read_request);
    // The request may have come with the connection.
    read_request();
}

std::string Already_Running_Message(const fs::path& data_file) {
    return "Tessaly is already running with \"" + data_file.string() +
           "\".\r\nSwitch to its window to go on.";
}

bool Is_Activation_Token(const QString& token) {
    if (token.isEmpty() || token.size() > Longest_Token) {
        return false;
    }
    return std::all_of(token.cbegin(), token.cend(),
                       [](QChar c) { return c.unicode() > 0x20 && c.unicode() < 0x7f; });
}

void Bring_To_Front(QWidget& main_window, const QString& activation_token) {
    // Qt's Wayland support hands this token to the compositor with the next
    // activation, and forgets it then.
    if (Is_Activation_Token(activation_token)) {
        qputenv("XDG_ACTIVATION_TOKEN", activation_token.toLatin1());
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
        return;
    }
    if (main_window.isHidden()) {
        main_window.show();
    }
    main_window.setWindowState(main_window.windowState() & ~Qt::WindowMinimized);
    main_window.raise();
    main_window.activateWindow();
}

}  // namespace tessaly
