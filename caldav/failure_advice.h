#pragma once

#include <string>
#include <string_view>

#include "caldav/http_transport.h"

namespace tessaly {

// What the user can do about a failure of the calendar server, in plain
// words: the window and tessaly-sync say the same.
std::string Failure_Advice(CalDAV_Failure failure);

// The advice, then what happened, for a bug report:
// "... (Details: HTTP 401 from https://cloud.example.org: ...)". `server` is
// the account's address; only its origin is named.
std::string Failure_Sentence(CalDAV_Failure failure, long status, std::string_view message,
                             std::string_view server);
std::string Failure_Sentence(const CalDAV_Error& error, std::string_view server);

}  // namespace tessaly
