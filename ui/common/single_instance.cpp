#include "ui/common/single_instance.h"

#include "ui/common/qt_path.h"
#include "ui/common/single_instance_platform.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QEventLoop>
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
// More callers at once than any run of later starts makes: a flood of
// connections cannot use up the window's files.
constexpr size_t Most_Callers = 16;

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
    detail::Lock_Attempt attempt = detail::Take_Data_File_Lock(To_Qt_Path(lock_path));

    if (attempt.Status == detail::Lock_Status::Taken) {
        lock_ = std::move(attempt.Lock);
        Listen(server_name);
        return {Instance_Outcome::Acquired, {}};
    }
    if (attempt.Status == detail::Lock_Status::Held) {
        if (Ask_To_Activate(server_name, true, activation_token)) {
            return {Instance_Outcome::Other_Instance_Activated, {}};
        }
        // The holder may have closed while we waited.
        attempt = detail::Take_Data_File_Lock(To_Qt_Path(lock_path));
        if (attempt.Status == detail::Lock_Status::Taken) {
            lock_ = std::move(attempt.Lock);
            Listen(server_name);
            return {Instance_Outcome::Acquired, {}};
        }
        return {Instance_Outcome::Other_Instance_Unreachable, {}};
    }

    // Without a lock file the program runs on: in a read-only folder nothing
    // can be written anyway. A window on this computer can still be found.
    const QString reason = (attempt.Status == detail::Lock_Status::No_Permission
                                ? QStringLiteral("No permission to create ")
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
    QEventLoop loop;
    QTimer give_up;
    QTimer retry;
    give_up.setSingleShot(true);
    retry.setSingleShot(true);
    bool finished = false;
    bool activated = false;
    QByteArray reply;
    // Last, so that it goes before what its handler uses.
    std::unique_ptr<detail::Activation_Link> link;

    const auto finish = [&] {
        finished = true;
        loop.quit();
    };
    const auto attempt = [&] {
        detail::Connect_Result result = detail::Connect_To_Server(server_name);
        if (result.Status == detail::Connect_Status::Busy ||
            (keep_trying && result.Status == detail::Connect_Status::Not_There)) {
            retry.start(Retry_Interval_Ms);
            return;
        }
        if (result.Status != detail::Connect_Status::Connected) {
            finish();
            return;
        }
        link = std::move(result.Link);
        // Another user's server could answer "activated" and end this start.
        if (!link->Peer_Is_This_User()) {
            finish();
            return;
        }
        link->Received = [&](const QByteArray& bytes) {
            reply += bytes;
            if (bytes.isEmpty() || reply.contains('\n') || reply.size() > Longest_Request) {
                activated = reply == Answer;
                finish();
            }
        };
        QByteArray request(Request);
        if (Is_Activation_Token(activation_token)) {
            request += ' ' + activation_token.toLatin1();
        }
        link->Send(request + '\n');
    };
    connect(&give_up, &QTimer::timeout, &loop, finish);
    connect(&retry, &QTimer::timeout, &loop, attempt);

    give_up.start(Answer_Timeout_Ms);
    attempt();
    // A quit before exec() would be lost.
    if (!finished) {
        loop.exec();
    }
    if (link) {
        link->Close();
    }
    return activated;
}

void Single_Instance::Listen(const QString& server_name) {
    if (server_name.isEmpty()) {
        return;  // the lock alone keeps a second window off the file
    }
    // Whatever answers under this name now is a crashed holder's socket file
    // or a window that would not answer: either way it serves no one. Without
    // a server, the lock alone still keeps a second window off the file; a
    // later start then reports the running one instead of raising it.
    server_ = detail::Serve_Address(server_name, this,
                                    [this](detail::Activation_Link* caller) { Serve(caller); });
}

void Single_Instance::Serve(detail::Activation_Link* caller) {
    const auto drop = [caller] {
        caller->Close();
        caller->deleteLater();
    };
    if (!caller->Peer_Is_This_User()) {
        drop();
        return;
    }
    // The oldest has had the longest to say something.
    if (callers_.size() >= Most_Callers) {
        callers_.front()->Close();
        callers_.front()->deleteLater();
        callers_.erase(callers_.begin());
    }
    callers_.push_back(caller);
    connect(caller, &QObject::destroyed, this, [this, caller] { std::erase(callers_, caller); });
    QTimer::singleShot(Idle_Connection_Ms, caller, drop);
    caller->Received = [this, caller, drop,
                        request = QByteArray()](const QByteArray& bytes) mutable {
        request += bytes;
        const qsizetype end = request.indexOf('\n');
        if (bytes.isEmpty() || end < 0) {
            if (bytes.isEmpty() || request.size() > Longest_Request) {
                drop();
            }
            return;
        }
        const QByteArray line = request.left(end + 1);
        const QByteArray expected = QByteArray(Request);
        QString token;
        if (line.size() <= Longest_Request && line.startsWith(expected + ' ')) {
            token = QString::fromLatin1(line.mid(expected.size() + 1).chopped(1));
        }
        if (line != expected + '\n' && !Is_Activation_Token(token)) {
            drop();
            return;
        }
        // Answered first: the caller is waiting, the raising may take a while.
        caller->Send(Answer);
        drop();
        emit Activation_Requested(token);
    };
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
