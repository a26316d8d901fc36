#include "app/password_command.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace tessaly {

std::string Run_Password_Command(const std::string& command) {
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        throw Password_Command_Error("The password command could not be started.");
    }
    std::string output;
    std::array<char, 4096> buffer{};
    while (const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
        output.append(buffer.data(), read);
    }
    const int status = ::pclose(pipe);
    if (status == -1) {
        throw Password_Command_Error("The password command could not be run.");
    }
    if (WIFSIGNALED(status)) {
        throw Password_Command_Error("The password command was ended by signal " +
                                     std::to_string(WTERMSIG(status)) + ".");
    }
    if (WEXITSTATUS(status) != 0) {
        // 127: the shell found no such command.
        throw Password_Command_Error("The password command failed (exit status " +
                                     std::to_string(WEXITSTATUS(status)) + ").");
    }
    std::string line = output.substr(0, output.find('\n'));
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (line.empty()) {
        throw Password_Command_Error("The password command printed no password.");
    }
    return line;
}

}  // namespace tessaly
