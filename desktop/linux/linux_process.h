#pragma once

#include <string>
#include <vector>

namespace tessaly::detail {

// The program's full path from PATH, or empty.
std::string Find_On_Path(const std::string& name);

// Starts the program with one argument and returns at once, without waiting
// for it; false when no process could be started.
bool Start_Detached(const std::string& program, const std::string& argument);

// Runs the program with the arguments, its output discarded, and waits for
// it at most a few seconds (a tool that hangs is killed). True when it ran
// and exited with 0.
bool Run_And_Wait(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace tessaly::detail
