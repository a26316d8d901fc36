#include "sync/password_command.h"

#include <string>

namespace tessaly::detail {

std::string Password_From_Output(std::string_view output) {
    std::string line(output.substr(0, output.find('\n')));
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (line.empty()) {
        throw Password_Command_Error("The password command printed no password.");
    }
    return line;
}

void Throw_Password_Command_Timed_Out(std::chrono::milliseconds time_limit) {
    // Whole seconds, rounded up: a limit of 1.5 s has not passed at 1 s.
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(time_limit).count();
    throw Password_Command_Error("The password command did not finish within " +
                                 std::to_string(seconds) +
                                 (seconds == 1 ? " second." : " seconds."));
}

void Throw_Password_Command_Too_Long_Output() {
    throw Password_Command_Error("The password command printed more than " +
                                 std::to_string(Password_Command_Output_Limit / 1024) +
                                 " KiB; a password is one short line.");
}

void Throw_Password_Command_Failed(unsigned long exit_status, std::string_view meaning) {
    std::string message = "The password command failed (exit status " + std::to_string(exit_status);
    if (!meaning.empty()) {
        message += ": ";
        message += meaning;
    }
    throw Password_Command_Error(message + ").");
}

}  // namespace tessaly::detail
