#include "test_support/xandikos_server.h"

#include <filesystem>

#include "test_support/radicale_server.h"

namespace tessaly::test {

namespace {

#ifdef TESSALY_XANDIKOS_PATH
constexpr const char* Xandikos_Path = TESSALY_XANDIKOS_PATH;
#else
constexpr const char* Xandikos_Path = "";
#endif

constexpr int Start_Attempts = 3;

std::string Radicale_Home(const std::string& user) {
    return user + "/";
}

// Xandikos makes the principal's home for calendars beside the one for
// address books.
std::string Xandikos_Home(const std::string& user) {
    return user + "/calendars/";
}

}  // namespace

Xandikos_Server::Xandikos_Server(std::string user) : user_(std::move(user)) {}

Xandikos_Server::~Xandikos_Server() {
    Kill();
}

bool Xandikos_Server::Available() {
    return Xandikos_Path[0] != '\0' && std::filesystem::exists(Xandikos_Path);
}

std::string Xandikos_Server::Missing_Reason() {
    return "Xandikos is not installed (apt-get install xandikos), so the second calendar server "
           "does not run";
}

bool Xandikos_Server::Start() {
    for (int attempt = 0; attempt < Start_Attempts; ++attempt) {
        port_ = Unused_Port();
        if (Launch()) {
            return true;
        }
    }
    return false;
}

bool Xandikos_Server::Restart() {
    Kill();
    return Launch();
}

bool Xandikos_Server::Launch() {
    pid_ = Start_Server_Process({Xandikos_Path, "--directory", folder_.File("storage").string(),
                                 "--listen-address", "127.0.0.1", "--port", std::to_string(port_),
                                 "--current-user-principal", "/" + user_ + "/", "--autocreate"},
                                folder_.File("log"), port_, failure_);
    return pid_ > 0;
}

void Xandikos_Server::Kill() {
    Kill_Server_Process(pid_);
}

const Server_Traits& Traits_Of(Server_Kind kind) {
    static const Server_Traits radicale{"Radicale", true, Radicale_Home, 403};
    static const Server_Traits xandikos{"Xandikos", false, Xandikos_Home, 500};
    return kind == Server_Kind::Radicale ? radicale : xandikos;
}

bool Server_Available(Server_Kind kind) {
    return kind == Server_Kind::Radicale ? Radicale_Server::Available()
                                         : Xandikos_Server::Available();
}

std::string Server_Missing_Reason(Server_Kind kind) {
    return kind == Server_Kind::Radicale ? Radicale_Server::Missing_Reason()
                                         : Xandikos_Server::Missing_Reason();
}

std::unique_ptr<Calendar_Server> Make_Calendar_Server(
    Server_Kind kind, std::vector<std::pair<std::string, std::string>> users) {
    if (kind == Server_Kind::Radicale) {
        return std::make_unique<Radicale_Server>(std::move(users));
    }
    return std::make_unique<Xandikos_Server>(users.empty() ? "user" : users.front().first);
}

}  // namespace tessaly::test
