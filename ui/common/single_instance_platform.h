#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace tessaly::detail {

// Where the activation server of that name is reached. On POSIX a socket in a
// folder that only this user can enter: the runtime folder, else a folder of
// its own in the temporary folder; another user who could put a socket there
// would be answering for this program. On Windows the pipe name. Empty where
// there is no such place: no server is started or asked then.
QString Activation_Address(const QString& name);

// One connection between a later start and the running window: a local
// stream socket on POSIX, a named pipe on Windows. Everything it reports
// arrives through the event loop of the thread that made it.
class Activation_Link : public QObject {
public:
    // Most bytes handed to Received at once.
    static constexpr qsizetype Read_Chunk = 512;

    using QObject::QObject;
    // Called with each piece that arrives, and once with an empty array when
    // the other end has closed or the connection broke; never after Close.
    std::function<void(const QByteArray&)> Received;

    // Queues bytes to send; requests and answers are short enough that the
    // system takes them whole without waiting for the reader.
    virtual void Send(const QByteArray& bytes) = 0;
    // Ends the connection at once; what Send queued still reaches the
    // other end. Nothing is reported after this.
    virtual void Close() = 0;
    // Whether the process at the other end runs as this user.
    virtual bool Peer_Is_This_User() const = 0;
};

enum class Connect_Status {
    Connected,
    // No server under the address, or only a dead one's leftover: a holder
    // that has just taken the lock may not be listening yet.
    Not_There,
    // The server is there but takes no new caller just now.
    Busy,
    Failed,
};

struct Connect_Result {
    Connect_Status Status;
    std::unique_ptr<Activation_Link> Link;  // Only when Connected.
};

// Connects to the server at the address without waiting for it to answer.
Connect_Result Connect_To_Server(const QString& address);

// Serves the address, replacing a crashed server's leftover there. Each
// caller is handed to `caller` as a link that `parent` owns. The returned
// object (owned by `parent`) stops serving when deleted; null when the
// address cannot be served.
QObject* Serve_Address(const QString& address, QObject* parent,
                       std::function<void(Activation_Link*)> caller);

// The lock file beside the data file, held until the object goes.
class Data_File_Lock {
public:
    Data_File_Lock() = default;
    virtual ~Data_File_Lock() = default;
    Data_File_Lock(const Data_File_Lock&) = delete;
    Data_File_Lock& operator=(const Data_File_Lock&) = delete;
};

enum class Lock_Status {
    Taken,
    // A running process holds it.
    Held,
    No_Permission,
    Failed,
};

struct Lock_Attempt {
    Lock_Status Status;
    std::unique_ptr<Data_File_Lock> Lock;  // Only when Taken.
};

// Takes the lock at that path without waiting. A lock whose holder has ended
// is taken over: on POSIX one whose process id no longer runs this program
// (QLockFile's test); on Windows one that no process keeps open, since the
// system closes a killed holder's file and may hand its id to the next start.
Lock_Attempt Take_Data_File_Lock(const QString& lock_path);

}  // namespace tessaly::detail
