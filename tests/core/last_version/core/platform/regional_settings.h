#pragma once

#include <string>

namespace tessaly {

// The short date pattern of the user's regional settings as a strftime
// pattern ("%d/%m/%y"), exactly as the system gives it; empty when it gives
// none. On POSIX systems it follows the C library's current LC_TIME locale.
std::string System_Short_Date_Pattern();

}  // namespace tessaly
