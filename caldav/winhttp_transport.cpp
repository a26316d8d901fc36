#include "caldav/winhttp_transport.h"

#include <windows.h>
// After windows.h, which it needs.
#include <winhttp.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <utility>

#include "core/platform/windows/windows_text.h"

namespace tessaly {

namespace {

using Clock = std::chrono::steady_clock;

class Internet_Handle {
public:
    Internet_Handle() = default;
    explicit Internet_Handle(HINTERNET handle) : handle_(handle) {}
    ~Internet_Handle() { Close(); }
    Internet_Handle(Internet_Handle&& other) noexcept
        : handle_(std::exchange(other.handle_, nullptr)) {}
    Internet_Handle(const Internet_Handle&) = delete;
    Internet_Handle& operator=(const Internet_Handle&) = delete;
    Internet_Handle& operator=(Internet_Handle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    HINTERNET Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Close() {
        if (handle_ != nullptr) {
            ::WinHttpCloseHandle(handle_);
            handle_ = nullptr;
        }
    }

private:
    HINTERNET handle_ = nullptr;
};

std::string Base64(std::string_view bytes) {
    static constexpr char Digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t left = std::min<std::size_t>(3, bytes.size() - at);
        unsigned value = 0;
        for (std::size_t i = 0; i < 3; ++i) {
            value = (value << 8) | (i < left ? static_cast<unsigned char>(bytes[at + i]) : 0U);
        }
        for (std::size_t i = 0; i < 4; ++i) {
            text += i <= left ? Digits[(value >> (18 - 6 * i)) & 0x3F] : '=';
        }
    }
    return text;
}

// The system's words for a WinHTTP error, whose texts live in its own DLL.
std::string Describe(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                             FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         ::GetModuleHandleW(L"winhttp.dll"), error, 0,
                         reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", buffer != nullptr ? length : 0);
    if (buffer != nullptr) {
        ::LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.' ||
                             text.back() == L' ')) {
        text.pop_back();
    }
    if (!text.empty()) {
        return detail::Utf8_From_Wide(text);
    }
    // Where the DLL has no texts (Wine's), the usual ones in words of ours.
    switch (error) {
        case ERROR_WINHTTP_NAME_NOT_RESOLVED:
            return "the server's name was not found";
        case ERROR_WINHTTP_CANNOT_CONNECT:
            return "the connection was refused";
        case ERROR_WINHTTP_CONNECTION_ERROR:
            return "the connection was dropped";
        case ERROR_WINHTTP_TIMEOUT:
            return "the time-out ran out";
        case ERROR_WINHTTP_SECURE_FAILURE:
            return "the server's certificate was not accepted";
        default:
            return "error " + std::to_string(error);
    }
}

// WSAETIMEDOUT, which Wine's WinHTTP passes on for its own time-out.
constexpr DWORD Socket_Timed_Out = 10060;

[[noreturn]] void Fail(DWORD error) {
    if (error == ERROR_WINHTTP_TIMEOUT || error == Socket_Timed_Out) {
        throw CalDAV_Error(CalDAV_Failure::Timed_Out, 0,
                           "The calendar server did not answer in time (" + Describe(error) + ").");
    }
    throw CalDAV_Error(CalDAV_Failure::Unreachable, 0,
                       "The calendar server could not be reached (" + Describe(error) + ").");
}

[[noreturn]] void Fail_Now() {
    Fail(::GetLastError());
}

[[noreturn]] void Refuse(const std::string& why) {
    throw CalDAV_Error(CalDAV_Failure::Unreachable, 0,
                       "The calendar server could not be reached (" + why + ").");
}

int Milliseconds(std::chrono::milliseconds span) {
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(span.count(), 1, INT_MAX));
}

struct Url_Parts {
    bool Secure = false;
    std::wstring Host;
    INTERNET_PORT Port = 0;
    std::wstring Path;  // with the query
};

Url_Parts Split_Url(const std::string& url) {
    const auto wide = detail::Wide_From_Utf8(url);
    if (!wide || wide->empty() || wide->size() > UINT_MAX) {
        Refuse("the address \"" + url + "\" is not one");
    }
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!::WinHttpCrackUrl(wide->c_str(), static_cast<DWORD>(wide->size()), 0, &parts)) {
        Refuse("the address \"" + url + "\" is not one");
    }
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
        Refuse("the address \"" + url + "\" is neither http nor https");
    }
    Url_Parts result;
    result.Secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    result.Host.assign(parts.lpszHostName, parts.dwHostNameLength);
    result.Port = parts.nPort;
    if (parts.lpszUrlPath != nullptr) {
        result.Path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    }
    if (parts.lpszExtraInfo != nullptr) {
        result.Path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    }
    if (result.Path.empty()) {
        result.Path = L"/";
    }
    return result;
}

// The reply's header lines after the status line; names in lower case.
std::vector<std::pair<std::string, std::string>> Read_Headers(HINTERNET request) {
    DWORD size = 0;
    ::WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                          WINHTTP_NO_OUTPUT_BUFFER, &size, WINHTTP_NO_HEADER_INDEX);
    if (size / sizeof(wchar_t) > Largest_Reply_Header_Bytes) {
        throw Reply_Headers_Too_Large_Error();
    }
    std::wstring raw(size / sizeof(wchar_t) + 1, L'\0');
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF,
                               WINHTTP_HEADER_NAME_BY_INDEX, raw.data(), &size,
                               WINHTTP_NO_HEADER_INDEX)) {
        Fail_Now();
    }
    raw.resize(size / sizeof(wchar_t));
    const std::string text = detail::Utf8_From_Wide(raw);
    std::vector<std::pair<std::string, std::string>> headers;
    std::size_t at = text.find("\r\n");  // past the status line
    while (at != std::string::npos && at < text.size()) {
        at += 2;
        const std::size_t end = std::min(text.find("\r\n", at), text.size());
        const std::string_view line(text.data() + at, end - at);
        if (auto header = Read_Header_Line(line)) {
            headers.push_back(std::move(*header));
        }
        at = end;
    }
    return headers;
}

bool Is_Certificate_Refused(DWORD error) {
    return error == ERROR_WINHTTP_SECURE_FAILURE || error == ERROR_WINHTTP_SECURE_INVALID_CA ||
           error == ERROR_WINHTTP_SECURE_CERT_CN_INVALID ||
           error == ERROR_WINHTTP_SECURE_CERT_DATE_INVALID ||
           error == ERROR_WINHTTP_SECURE_INVALID_CERT || error == ERROR_WINHTTP_SECURE_CERT_REVOKED;
}

// The origin as WinHTTP reads the URL, which is where it connects.
std::string Origin_Of(const Url_Parts& url) {
    std::string host = detail::Utf8_From_Wide(url.Host);
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (host.find(':') != std::string::npos && !host.starts_with('[')) {
        host = "[" + host + "]";
    }
    const bool default_port = url.Port == (url.Secure ? 443 : 80);
    return (url.Secure ? "https://" : "http://") + host +
           (default_port ? std::string() : ":" + std::to_string(url.Port));
}

bool Is_Dropped_Connection(DWORD error) {
    // Reset and aborted, as the sockets say them.
    return error == ERROR_WINHTTP_CONNECTION_ERROR || error == 10053 || error == 10054;
}

// A request on the connection, with the options every request takes.
Internet_Handle Open_Request(HINTERNET connection, const std::wstring& method, const Url_Parts& url,
                             const Http_Transport_Options& options) {
    Internet_Handle handle(::WinHttpOpenRequest(
        connection, method.c_str(), url.Path.c_str(), nullptr, WINHTTP_NO_REFERER,
        WINHTTP_DEFAULT_ACCEPT_TYPES, url.Secure ? WINHTTP_FLAG_SECURE : 0));
    if (!handle) {
        Fail_Now();
    }
    // Redirects and 401 challenges come back to the caller, who decides;
    // cookies are no part of the exchange; the user's Windows logon is never
    // offered to the server in place of the account's password.
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    DWORD disabled = WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_REDIRECTS;
    DWORD logon = WINHTTP_AUTOLOGON_SECURITY_LEVEL_HIGH;
    ::WinHttpSetOption(handle.Get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy);
    ::WinHttpSetOption(handle.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &disabled, sizeof disabled);
    ::WinHttpSetOption(handle.Get(), WINHTTP_OPTION_AUTOLOGON_POLICY, &logon, sizeof logon);
    DWORD header_bytes = static_cast<DWORD>(Largest_Reply_Header_Bytes);
    ::WinHttpSetOption(handle.Get(), WINHTTP_OPTION_MAX_RESPONSE_HEADER_SIZE, &header_bytes,
                       sizeof header_bytes);
    const int connect = Milliseconds(std::min(options.Connect_Timeout, options.Timeout));
    const int whole = Milliseconds(options.Timeout);
    // The wait for the reply's headers has a time-out of its own, which
    // Wine's WinHTTP takes from this option alone.
    DWORD reply = static_cast<DWORD>(whole);
    if (!::WinHttpSetTimeouts(handle.Get(), connect, connect, whole, whole) ||
        !::WinHttpSetOption(handle.Get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &reply,
                            sizeof reply)) {
        Fail_Now();
    }
    return handle;
}

}  // namespace

struct WinHTTP_Transport::Handles {
    explicit Handles(std::string_view origin) : credentials(origin) {}
    detail::Credential_Origin credentials;
    Internet_Handle session;
    // The connection handle of the last host, kept so that WinHTTP keeps its
    // connection open for the next request there.
    Internet_Handle connection;
    std::wstring host;
    INTERNET_PORT port = 0;
};

WinHTTP_Transport::WinHTTP_Transport(Http_Transport_Options options)
    : options_(std::move(options)), handles_(std::make_unique<Handles>(options_.Origin)) {
    // WinHTTP shows the certificate only once a request has gone out on the
    // connection: it cannot be checked before the password is sent.
    if (!options_.Trusted_Certificate.empty()) {
        throw CalDAV_Error(CalDAV_Failure::Untrusted_Certificate, 0,
                           "Trusting a certificate that Windows does not trust is not supported "
                           "on Windows yet. Add the server's certificate to the certificates "
                           "Windows trusts instead, and clear the trusted certificate in the "
                           "calendar account.");
    }
    handles_->session =
        Internet_Handle(::WinHttpOpen(L"Tessaly", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                      WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!handles_->session) {
        Fail_Now();
    }
}

WinHTTP_Transport::~WinHTTP_Transport() = default;

Http_Response WinHTTP_Transport::Send(const Http_Request& request) {
    const Clock::time_point deadline = Clock::now() + options_.Timeout;
    const Url_Parts url = Split_Url(request.Url);
    const auto method = detail::Wide_From_Utf8(request.Method);
    if (!method || request.Body.size() > ULONG_MAX) {
        Refuse("the request cannot be sent");
    }

    if (!handles_->connection || handles_->host != url.Host || handles_->port != url.Port) {
        handles_->connection = Internet_Handle(
            ::WinHttpConnect(handles_->session.Get(), url.Host.c_str(), url.Port, 0));
        if (!handles_->connection) {
            Fail_Now();
        }
        handles_->host = url.Host;
        handles_->port = url.Port;
    }
    const std::string origin = Origin_Of(url);
    std::string headers;
    if ((!options_.User.empty() || !options_.Password.empty()) &&
        handles_->credentials.Allows(origin)) {
        headers +=
            "Authorization: Basic " + Base64(options_.User + ":" + options_.Password) + "\r\n";
    }
    for (const auto& [name, value] : request.Headers) {
        headers += name + ": " + value + "\r\n";
    }
    const auto wide_headers = detail::Wide_From_Utf8(headers);
    if (!wide_headers || wide_headers->size() > ULONG_MAX) {
        Refuse("the request's headers are not text");
    }

    Internet_Handle handle;
    // A connection kept open from an earlier request may have been closed by
    // the server since, and a server that refuses a request without reading
    // its body may reset the connection before its reply is read: a request
    // that got no reply at all is sent again, twice at most.
    for (int attempt = 1;; ++attempt) {
        handle = Open_Request(handles_->connection.Get(), *method, url, options_);
        const auto body_size = static_cast<DWORD>(request.Body.size());
        if (::WinHttpSendRequest(
                handle.Get(),
                wide_headers->empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : wide_headers->c_str(),
                static_cast<DWORD>(wide_headers->size()),
                body_size > 0 ? const_cast<char*>(request.Body.data()) : WINHTTP_NO_REQUEST_DATA,
                body_size, body_size, 0) &&
            ::WinHttpReceiveResponse(handle.Get(), nullptr)) {
            break;
        }
        const DWORD error = ::GetLastError();
        if (Is_Certificate_Refused(error)) {
            throw Untrusted_Certificate_Error(origin, {}, false);
        }
        if (attempt == 3 || !Is_Dropped_Connection(error) || Clock::now() >= deadline) {
            Fail(error);
        }
    }

    Http_Response response;
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!::WinHttpQueryHeaders(handle.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                               WINHTTP_NO_HEADER_INDEX)) {
        Fail_Now();
    }
    response.Status = static_cast<long>(status);
    response.Headers = Read_Headers(handle.Get());
    // A declared length past the bound is refused before the body is read.
    const std::string length = response.Header("content-length");
    if (!length.empty() && length.size() < 20 &&
        length.find_first_not_of("0123456789") == std::string::npos &&
        std::stoull(length) > Largest_Reply_Bytes) {
        throw Reply_Too_Large_Error();
    }

    // The time-out is for the whole exchange: each read gets what is left.
    char buffer[16384];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            Fail(ERROR_WINHTTP_TIMEOUT);
        }
        DWORD receive = static_cast<DWORD>(Milliseconds(left));
        ::WinHttpSetOption(handle.Get(), WINHTTP_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
        DWORD read = 0;
        if (!::WinHttpReadData(handle.Get(), buffer, sizeof buffer, &read)) {
            // A server may refuse a request (401) without reading its body
            // and close the connection, which cuts its own reply short: a
            // refusal is told by its status alone.
            if (response.Status >= 400) {
                break;
            }
            Fail_Now();
        }
        if (read == 0) {
            break;
        }
        if (read > Largest_Reply_Bytes - response.Body.size()) {
            throw Reply_Too_Large_Error();
        }
        response.Body.append(buffer, read);
    }
    return response;
}

std::unique_ptr<Http_Transport> Make_Http_Transport(Http_Transport_Options options) {
    return std::make_unique<WinHTTP_Transport>(std::move(options));
}

}  // namespace tessaly
