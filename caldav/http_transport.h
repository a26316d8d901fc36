#pragma once

#include <chrono>
#include <cstddef>
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
    // The server named or sent on to an address at another origin (scheme,
    // host, port) than the account's: the password goes to none but that one.
    Foreign_Origin,
    // The server's certificate failed the system's check and is not the one
    // trusted for the account (Certificate_Fingerprint says which it is).
    Untrusted_Certificate,
};

// A header line as the transports hand it on: the name in lower case, the
// value without the blanks and line end around it; none without a colon.
std::optional<std::pair<std::string, std::string>> Read_Header_Line(std::string_view line);

class CalDAV_Error : public Tessaly_Error {
public:
    CalDAV_Error(CalDAV_Failure failure, long status, const std::string& message,
                 std::string certificate_fingerprint = {})
        : Tessaly_Error(message),
          failure_(failure),
          status_(status),
          certificate_fingerprint_(std::move(certificate_fingerprint)) {}
    CalDAV_Failure Failure() const { return failure_; }
    // The HTTP status, or 0 where no reply came.
    long Status() const { return status_; }
    // For Untrusted_Certificate: the SHA-256 fingerprint of the certificate
    // the server showed ("AB:12:..."), found in the handshake before anything
    // was sent; empty where the transport cannot tell.
    const std::string& Certificate_Fingerprint() const { return certificate_fingerprint_; }

private:
    CalDAV_Failure failure_;
    long status_;
    std::string certificate_fingerprint_;
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
    // The account's address (or its origin): the user name and password go
    // only to requests at its origin. Empty: the origin of the first request.
    std::string Origin;
    // The SHA-256 fingerprint ("AB:12:...", as Normal_Fingerprint gives it)
    // of the certificate the user chose to trust for the server: one that
    // fails the system's check is still taken when it is this one. Checked in
    // the handshake, before any request is sent.
    std::string Trusted_Certificate;
    std::chrono::milliseconds Connect_Timeout{10000};
    // For the whole exchange, connection included.
    std::chrono::milliseconds Timeout{60000};
};

// The system's transport: libcurl on Linux, WinHTTP on Windows. Both send
// basic authentication on every request to the account's origin (so that a
// request is never sent twice to learn the scheme), keep the connection open
// between requests, check certificates against the system's store, read at
// most Largest_Reply_Bytes of a reply once unpacked, and serve one thread.
std::unique_ptr<Http_Transport> Make_Http_Transport(Http_Transport_Options options);

// What one reply may hold once unpacked. A calendar of 500 entries comes to
// under 1 MiB, a big shared calendar of 10,000 events with their data to
// about 20 MiB; past this a server is broken or hostile, and reading on would
// only use up memory (a small compressed reply can unpack to gigabytes).
inline constexpr std::size_t Largest_Reply_Bytes = std::size_t{32} << 20;
// And its header lines together: a server's run to a few KiB.
inline constexpr std::size_t Largest_Reply_Header_Bytes = std::size_t{256} << 10;

// The errors the transports throw for a reply past those.
CalDAV_Error Reply_Too_Large_Error();
CalDAV_Error Reply_Headers_Too_Large_Error();

// A SHA-256 fingerprint as the transports compare it: upper-case hex pairs
// joined by ":"; taken with or without the colons, in either case, blanks
// around it aside. None for anything else.
std::optional<std::string> Normal_Fingerprint(std::string_view text);

// The error for a certificate refused in the handshake at that origin, with
// its fingerprint (empty where unknown); `other_trusted` where another
// certificate is the one trusted for the account.
CalDAV_Error Untrusted_Certificate_Error(const std::string& origin, const std::string& fingerprint,
                                         bool other_trusted);

namespace detail {

// Whether a request goes with the account's user name and password: only at
// the account's origin, as the transport's own URL reader sees it. Without an
// origin in the options, the first request's becomes it.
class Credential_Origin {
public:
    // Throws CalDAV_Error (Unreachable) for an origin that is no address.
    explicit Credential_Origin(std::string_view account_address);
    bool Allows(const std::string& request_origin);

private:
    std::string origin_;
};

}  // namespace detail

}  // namespace tessaly
