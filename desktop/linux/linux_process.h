#pragma once

#include <string>

namespace tessaly::detail {

// The program's full path from PATH, or empty.
std::string Find_On_Path(const std::string& name);

// Starts the program with one argument and returns at once, without waiting
// for it; false when no process could be started.
bool Start_Detached(const std::string& program, const std::string& argument);

}  // namespace tessaly::detail
