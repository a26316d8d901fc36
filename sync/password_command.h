#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "core/errors.h"

namespace tessaly {

// The password command failed: it could not run, ended badly, printed
// nothing or did not finish in time. The message says which.
class Password_Command_Error : public Tessaly_Error {
public:
    using Tessaly_Error::Tessaly_Error;
};

// Long enough for an agent to ask the user for its own passphrase; short
// enough that the daily sync never hangs on a command that waits for ever.
inline constexpr std::chrono::milliseconds Password_Command_Time_Limit{30'000};

// Runs the command through the system's shell (/bin/sh, or cmd.exe on
// Windows), its input empty and its errors to this program's standard
// error, and returns the first line it prints, without its line end. The
// command and whatever it started in the meantime are ended when it takes
// longer than the time limit; a process it leaves behind holding its output
// open is ended shortly after the command itself exits.
std::string Run_Password_Command(
    const std::string& command, std::chrono::milliseconds time_limit = Password_Command_Time_Limit);

namespace detail {

// More is no password, and a command that prints without end must not fill
// the memory.
inline constexpr std::size_t Password_Command_Output_Limit = 64 * 1024;

// How long output is still taken after the command has exited, from a
// process it left behind.
inline constexpr std::chrono::milliseconds Password_Command_Output_Grace{1'000};

// How long the command's processes have to end after being asked to, before
// they are killed.
inline constexpr std::chrono::milliseconds Password_Command_End_Grace{500};

// The first line of the output; throws when it is empty.
std::string Password_From_Output(std::string_view output);

// The errors, worded the same on every system.
[[noreturn]] void Throw_Password_Command_Timed_Out(std::chrono::milliseconds time_limit);
[[noreturn]] void Throw_Password_Command_Too_Long_Output();
[[noreturn]] void Throw_Password_Command_Failed(unsigned long exit_status,
                                                std::string_view meaning = {});

}  // namespace detail

}  // namespace tessaly
