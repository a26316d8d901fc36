#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/errors.h"

namespace tessaly {

struct Http_Request {
    std::string Method;
    std::string Url;
    // Name and value; the transport adds the authentication itself.
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Body;
};

struct Http_Response {
    long Status = 0;
    // Names in lower case, as HTTP compares them.
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Body;

    // The first header of that name (lower case), or empty.
    std::string Header(std::string_view lower_case_name) const;
};

// Why talking to the calendar server failed: what the user is told, and what
// the sync decides on (a 412 means "read again", a 401 "ask for the password").
enum class CalDAV_Failure {
    Unreachable,          // no connection: wrong address, server down, TLS refused
    Timed_Out,            // connected, but no whole reply in time
    Unauthorized,         // 401
    Forbidden,            // 403
    Not_Found,            // 404, 410
    Precondition_Failed,  // 412: the resource changed since its ETag was read
    Server_Error,         // 5xx
    Unexpected_Status,    // any other status where success was expected
    Broken_Reply,         // a reply that is not the XML or the headers it must be
    No_Calendar_Service,  // the address leads to no calendar home
};

// A header line as the transports hand it on: the name in lower case, the
// value without the blanks and line end around it; none without a colon.
std::optional<std::pair<std::string, std::string>> Read_Header_Line(std::string_view line);

class CalDAV_Error : public Tessaly_Error {
public:
    CalDAV_Error(CalDAV_Failure failure, long status, const std::string& message)
        : Tessaly_Error(message), failure_(failure), status_(status) {}
    CalDAV_Failure Failure() const { return failure_; }
    // The HTTP status, or 0 where no reply came.
    long Status() const { return status_; }

private:
    CalDAV_Failure failure_;
    long status_;
};

// One HTTP exchange. A reply of any status is returned; only a failure to get
// a whole reply (no connection, time-out) throws CalDAV_Error. Redirects are
// returned, not followed, so that the client decides what a redirect means.
class Http_Transport {
public:
    virtual ~Http_Transport() = default;
    virtual Http_Response Send(const Http_Request& request) = 0;
};

struct Http_Transport_Options {
    std::string User;
    std::string Password;
    std::chrono::milliseconds Connect_Timeout{10000};
    // For the whole exchange, connection included.
    std::chrono::milliseconds Timeout{60000};
};

// The system's transport: libcurl on Linux, WinHTTP on Windows. Both send
// basic authentication on every request (so that a request is never sent
// twice to learn the scheme), keep the connection open between requests,
// check certificates against the system's store, and serve one thread.
std::unique_ptr<Http_Transport> Make_Http_Transport(Http_Transport_Options options);

}  // namespace tessaly
