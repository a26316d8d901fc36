#pragma once

#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace tessaly {

namespace detail {
class Activation_Link;
class Data_File_Lock;
}  // namespace detail

enum class Instance_Outcome {
    // This object holds the data file's lock and answers later starts.
    Acquired,
    // Another window has the file and was asked to come to the front.
    Other_Instance_Activated,
    // Another process holds the lock but did not answer: it may belong to
    // another user or another computer sharing the folder.
    Other_Instance_Unreachable,
    // The lock file could not be created (a read-only folder, a full disk);
    // the reason says why. The program runs on without the lock.
    Lock_Unavailable,
};

struct Acquire_Result {
    Instance_Outcome Outcome;
    QString Reason;  // Only for Lock_Unavailable.
};

// Keeps a second window off a data file that a running one has open: the
// second would overwrite the first one's additions when it closes.
class Single_Instance : public QObject {
    Q_OBJECT

public:
    // How long a later start waits for the running window's answer.
    static constexpr int Answer_Timeout_Ms = 2000;

    explicit Single_Instance(QObject* parent = nullptr);
    ~Single_Instance() override;
    Single_Instance(const Single_Instance&) = delete;
    Single_Instance& operator=(const Single_Instance&) = delete;

    // Call once. Runs a local event loop while it waits for the answer, so
    // a holder in the same thread (the tests) can reply.
    // The activation token, where the desktop gave this start one, lets the
    // running window come forward under Wayland.
    Acquire_Result Acquire(const std::filesystem::path& data_file,
                           const QString& activation_token = {});

    // ".<data file name>.lock" beside the file that the path finally names.
    static std::filesystem::path Lock_File_Path(const std::filesystem::path& data_file);
    // Derived from the user and the file's canonical path: the same file
    // reached through another path spelling finds the same name. On POSIX
    // the socket's path in a folder only this user can enter; empty where
    // there is none, and then only the lock is used.
    static QString Server_Name(const std::filesystem::path& data_file);

signals:
    // The token the later start passed on; empty where it had none.
    void Activation_Requested(const QString& activation_token);

private:
    // Asks the server to bring its window to the front; whether it said yes.
    // With Keep_Trying a missing server is tried again until the deadline: a
    // holder that has just taken the lock may not be listening yet.
    bool Ask_To_Activate(const QString& server_name, bool keep_trying,
                         const QString& activation_token);
    void Listen(const QString& server_name);
    void Serve(detail::Activation_Link* caller);

    std::unique_ptr<detail::Data_File_Lock> lock_;
    QObject* server_ = nullptr;
    std::vector<detail::Activation_Link*> callers_;  // being served now, oldest first
};

// What a later start shows when the running window did not answer: the
// data file's path and what to do, lines ending in CR LF.
std::string Already_Running_Message(const std::filesystem::path& data_file);

// The running program's answer to a later start. An open modal window (the
// start-up report hides the main window behind one) comes to the front;
// otherwise the main window is shown and un-minimised, staying maximised
// when it was.
// Under Wayland only a token from the desktop lets a window take the focus.
void Bring_To_Front(QWidget& main_window, const QString& activation_token = {});

// Whether an activation token can travel to the running window: printable
// ASCII without blanks, and not too long for the request.
bool Is_Activation_Token(const QString& token);

}  // namespace tessaly
