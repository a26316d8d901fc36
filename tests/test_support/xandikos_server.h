#pragma once

#include <sys/types.h>

#include <string>

#include "test_support/calendar_server.h"
#include "test_support/temp_dir.h"

namespace tessaly::test {

// Xandikos, the second real server of the tests. It keeps no users: one
// principal, whose password is whatever the client sends, as where a proxy
// in front of it checks logins. Its calendars are git repositories.
class Xandikos_Server : public Calendar_Server {
public:
    explicit Xandikos_Server(std::string user);
    ~Xandikos_Server() override;
    Xandikos_Server(const Xandikos_Server&) = delete;
    Xandikos_Server& operator=(const Xandikos_Server&) = delete;

    static bool Available();
    static std::string Missing_Reason();

    bool Start() override;
    void Kill() override;
    bool Restart() override;
    std::string Url() const override { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    const std::string& Failure() const override { return failure_; }

private:
    bool Launch();

    Temp_Dir folder_;
    std::string user_;
    int port_ = 0;
    pid_t pid_ = -1;
    std::string failure_;
};

}  // namespace tessaly::test
