#include "test_support/scripted_calendar_server.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace tessaly::test {

namespace {

#ifdef TESSALY_SCRIPTED_SERVER
constexpr const char* Script_Path = TESSALY_SCRIPTED_SERVER;
#else
constexpr const char* Script_Path = "";
#endif

constexpr auto Start_Limit = std::chrono::seconds(30);
// The script ends itself after this, should a test leave it behind.
constexpr const char* Life_Seconds = "300";

// The output of a command, or empty where it fails.
std::string Output_Of(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {};
    }
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    return ::pclose(pipe) == 0 ? output : std::string();
}

}  // namespace

Scripted_Calendar_Server::Scripted_Calendar_Server() = default;

Scripted_Calendar_Server::~Scripted_Calendar_Server() {
    Kill();
}

bool Scripted_Calendar_Server::Start(const std::string& certificate_file,
                                     const std::string& key_file) {
    secure_ = !certificate_file.empty();
    const std::string log = folder_.File("log").string();
    const std::string ports = folder_.File("ports").string();
    const std::string output = folder_.File("output").string();
    std::vector<std::string> arguments = {"python3",      Script_Path, "--log",   log,
                                          "--ports-file", ports,       "--limit", Life_Seconds};
    if (secure_) {
        arguments.insert(arguments.end(), {"--cert", certificate_file, "--key", key_file});
    }
    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
#ifdef __linux__
        // A test that crashes takes its server with it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
        if (std::freopen(output.c_str(), "a", stdout) != nullptr) {
            ::dup2(::fileno(stdout), STDERR_FILENO);
        }
        ::execvp("python3", argv.data());
        std::_Exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + Start_Limit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            failure_ = "the scripted server ended at start-up: " + Read_Bytes(output);
            return false;
        }
        if (std::filesystem::exists(ports)) {
            std::istringstream(Read_Bytes(ports)) >> port_ >> other_port_;
            return port_ > 0 && other_port_ > 0;
        }
        // The script tells its ports by a file: nothing to wait on.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    failure_ = "the scripted server did not start within 30 s";
    Kill();
    return false;
}

std::string Scripted_Calendar_Server::Url(const std::string& path) const {
    return std::string(secure_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
}

std::string Scripted_Calendar_Server::Other_Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(other_port_) + path;
}

std::vector<std::string> Scripted_Calendar_Server::Requests() const {
    std::vector<std::string> lines;
    if (!std::filesystem::exists(folder_.File("log"))) {
        return lines;
    }
    std::istringstream log(Read_Bytes(folder_.File("log")));
    for (std::string line; std::getline(log, line);) {
        lines.push_back(line);
    }
    return lines;
}

void Scripted_Calendar_Server::Kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

Test_Certificate Make_Test_Certificate(const Temp_Dir& folder, const std::string& name,
                                       const std::string& subject_name) {
    Test_Certificate made;
    const std::string certificate = folder.File(name + ".pem").string();
    const std::string key = folder.File(name + ".key").string();
    const std::string command =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
        "-subj /CN=" +
        subject_name + " -keyout '" + key + "' -out '" + certificate + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) {
        return made;
    }
    // "sha256 Fingerprint=AB:CD:..."
    const std::string printed =
        Output_Of("openssl x509 -noout -fingerprint -sha256 -in '" + certificate + "'");
    const auto equals = printed.find('=');
    if (equals == std::string::npos) {
        return made;
    }
    made.Certificate_File = certificate;
    made.Key_File = key;
    made.Fingerprint = printed.substr(equals + 1);
    while (!made.Fingerprint.empty() &&
           (made.Fingerprint.back() == '\n' || made.Fingerprint.back() == '\r')) {
        made.Fingerprint.pop_back();
    }
    return made;
}

}  // namespace tessaly::test
