#pragma once

#include <cstdio>
#include <filesystem>

#include "core/dates.h"

namespace tessaly {

// Today in local time, as a whole day number.
Day_Number Local_Today();

// The running executable's full path; argv[0] made absolute where the
// system cannot say.
std::filesystem::path Executable_Path(const char* argv0);

// Whether the stream writes to a terminal (where colour makes sense).
bool Is_Terminal(std::FILE* stream);

}  // namespace tessaly
