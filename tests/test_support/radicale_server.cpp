#include "test_support/radicale_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace tessaly::test {

namespace {

#ifdef TESSALY_RADICALE_PATH
constexpr const char* Radicale_Path = TESSALY_RADICALE_PATH;
#else
constexpr const char* Radicale_Path = "";
#endif

constexpr auto Start_Limit = std::chrono::seconds(30);
constexpr int Start_Attempts = 3;

// A socket bound to a loopback port the system picked; -1 on failure.
int Bound_Socket(int& port) {
    const int handle = ::socket(AF_INET, SOCK_STREAM, 0);
    if (handle < 0) {
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(handle);
        return -1;
    }
    port = ntohs(address.sin_port);
    return handle;
}

bool Takes_Connections(int port) {
    const int handle = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected =
        ::connect(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(handle);
    return connected;
}

}  // namespace

int Unused_Port() {
    int port = 0;
    const int handle = Bound_Socket(port);
    if (handle >= 0) {
        ::close(handle);
    }
    return port;
}

Radicale_Server::Radicale_Server(std::vector<std::pair<std::string, std::string>> users) {
    std::string lines;
    for (const auto& [user, password] : users) {
        lines += user + ":" + password + "\n";
    }
    Write_Bytes(folder_.File("users"), lines);
}

Radicale_Server::~Radicale_Server() {
    Kill();
}

bool Radicale_Server::Available() {
    return Radicale_Path[0] != '\0' && std::filesystem::exists(Radicale_Path);
}

std::string Radicale_Server::Missing_Reason() {
    return "Radicale is not installed (apt-get install radicale), so no calendar server runs";
}

bool Radicale_Server::Start() {
    for (int attempt = 0; attempt < Start_Attempts; ++attempt) {
        port_ = Unused_Port();
        if (Launch()) {
            return true;
        }
    }
    return false;
}

bool Radicale_Server::Restart() {
    Kill();
    return Launch();
}

bool Radicale_Server::Launch() {
    const auto folder = folder_.Path();
    Write_Bytes(folder_.File("config"), "[server]\nhosts = 127.0.0.1:" + std::to_string(port_) +
                                            "\n[auth]\ntype = htpasswd\nhtpasswd_filename = " +
                                            (folder / "users").string() +
                                            "\nhtpasswd_encryption = plain\n"
                                            // No pause after a wrong password: the
                                            // tests that send one wait on nothing.
                                            "delay = 0\n"
                                            "[storage]\nfilesystem_folder = " +
                                            (folder / "collections").string() +
                                            "\n[rights]\ntype = owner_only\n[web]\ntype = none\n"
                                            "[logging]\nlevel = warning\n");
    pid_ = Start_Server_Process({Radicale_Path, "--config", (folder / "config").string()},
                                folder / "log", port_, failure_);
    return pid_ > 0;
}

void Radicale_Server::Kill() {
    Kill_Server_Process(pid_);
}

pid_t Start_Server_Process(const std::vector<std::string>& command,
                           const std::filesystem::path& log, int port, std::string& failure) {
    std::vector<char*> arguments;
    for (const auto& argument : command) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    const std::string log_name = log.string();
    const pid_t pid = ::fork();
    if (pid == 0) {
#ifdef __linux__
        // A test that crashes takes its server with it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
        FILE* output = std::freopen(log_name.c_str(), "a", stdout);
        if (output != nullptr) {
            ::dup2(::fileno(stdout), STDERR_FILENO);
        }
        ::execv(arguments[0], arguments.data());
        std::_Exit(127);
    }
    const std::string name = std::filesystem::path(command.at(0)).filename().string();
    const auto deadline = std::chrono::steady_clock::now() + Start_Limit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            failure = name + " ended at start-up: " + Read_Bytes(log);
            return -1;
        }
        if (Takes_Connections(port)) {
            return pid;
        }
        // Polling a port has no event to wait on.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    failure = name + " took no connections within 30 s: " + Read_Bytes(log);
    pid_t started = pid;
    Kill_Server_Process(started);
    return -1;
}

void Kill_Server_Process(pid_t& pid) {
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        pid = -1;
    }
}

Silent_Server::Silent_Server() {
    socket_ = Bound_Socket(port_);
    if (socket_ >= 0) {
        ::listen(socket_, 8);
    }
}

Silent_Server::~Silent_Server() {
    if (socket_ >= 0) {
        ::close(socket_);
    }
}

}  // namespace tessaly::test
