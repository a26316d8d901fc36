#pragma once

#include <string>

#include "core/errors.h"

namespace tessaly {

// The password command failed: it could not run, ended badly or printed
// nothing. The message says which.
class Password_Command_Error : public Tessaly_Error {
public:
    using Tessaly_Error::Tessaly_Error;
};

// Runs the command through the shell and returns the first line it prints,
// without its line end. Its errors go to this program's standard error.
std::string Run_Password_Command(const std::string& command);

}  // namespace tessaly
