#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "test_support/calendar_server.h"
#include "test_support/temp_dir.h"

namespace tessaly::test {

// A real calendar server for the tests: Radicale on a free loopback port,
// with its storage in a temporary folder and plain htpasswd users. POSIX
// only. Check Available() first: tests skip with Missing_Reason() where
// the package is not installed.
class Radicale_Server : public Calendar_Server {
public:
    explicit Radicale_Server(std::vector<std::pair<std::string, std::string>> users);
    ~Radicale_Server() override;
    Radicale_Server(const Radicale_Server&) = delete;
    Radicale_Server& operator=(const Radicale_Server&) = delete;

    static bool Available();
    static std::string Missing_Reason();

    bool Start() override;
    void Kill() override;
    bool Restart() override;

    int Port() const { return port_; }
    std::string Url() const override { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    const std::string& Failure() const override { return failure_; }

private:
    bool Launch();

    Temp_Dir folder_;
    int port_ = 0;
    pid_t pid_ = -1;
    std::string failure_;
};

// A port that takes connections and never answers: a server that hangs.
class Silent_Server {
public:
    Silent_Server();
    ~Silent_Server();
    Silent_Server(const Silent_Server&) = delete;
    Silent_Server& operator=(const Silent_Server&) = delete;

    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    int socket_ = -1;
    int port_ = 0;
};

// A loopback port that nothing listens on, as far as can be told.
int Unused_Port();

// Runs the command (the program's path first) with its output in the log,
// and waits up to 30 s until the port takes connections: the child, or -1
// with the reason and the log in failure.
pid_t Start_Server_Process(const std::vector<std::string>& command,
                           const std::filesystem::path& log, int port, std::string& failure);
// SIGKILL, then waits for it; the pid becomes -1.
void Kill_Server_Process(pid_t& pid);

}  // namespace tessaly::test
