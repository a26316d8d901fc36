#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tessaly::test {

// A real calendar server a test starts on a free loopback port, with its
// storage in a temporary folder. POSIX only.
class Calendar_Server {
public:
    virtual ~Calendar_Server() = default;

    // Starts the server and waits until it takes connections; false (with
    // the server's output in Failure()) when it does not start.
    virtual bool Start() = 0;
    // SIGKILL, as a crash or a pulled cable: no reply is finished.
    virtual void Kill() = 0;
    // The same storage and port again.
    virtual bool Restart() = 0;
    virtual std::string Url() const = 0;
    virtual const std::string& Failure() const = 0;
};

enum class Server_Kind { Radicale, Xandikos };

// How the servers differ where a test must know it.
struct Server_Traits {
    const char* Name;
    // Refuses a wrong password. A server that leaves logins to a proxy in
    // front of it takes any.
    bool Checks_Passwords;
    // The calendar home of the user, below the server's address.
    std::string (*Home_Path)(const std::string& user);
    // The status of a sync-collection REPORT with a token the server never
    // gave: 403 with DAV:valid-sync-token, or a failure.
    long Unknown_Token_Status;
};

const Server_Traits& Traits_Of(Server_Kind kind);
// False where the package is not installed: tests skip with Missing_Reason.
bool Server_Available(Server_Kind kind);
std::string Server_Missing_Reason(Server_Kind kind);
// Not started yet. A server without logins of its own serves the first user
// alone and takes any password for them.
std::unique_ptr<Calendar_Server> Make_Calendar_Server(
    Server_Kind kind, std::vector<std::pair<std::string, std::string>> users);

}  // namespace tessaly::test
