#include "desktop/linux/linux_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace tessaly::detail {

std::string Find_On_Path(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

// The intermediate child exits straight away so that no zombie is left
// behind and the program is nobody's child to wait for.
bool Start_Detached(const std::string& program, const std::string& argument) {
    const pid_t child = ::fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        ::setsid();
        if (::fork() == 0) {
            const char* arguments[] = {program.c_str(), argument.c_str(), nullptr};
            ::execv(program.c_str(), const_cast<char* const*>(arguments));
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return true;
}

bool Run_And_Wait(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
        }
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tessaly::detail
