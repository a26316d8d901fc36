#include "desktop/linux/linux_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

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

}  // namespace tessaly::detail
