#include "caldav/curl_transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <utility>

#include "caldav/curl_certificate_check.h"

namespace tessaly {

namespace {

// A body grown in one string is copied at each doubling of its room and
// costs twice its size at the last: it is gathered in pieces instead.
constexpr std::size_t Body_Piece_Bytes = std::size_t{1} << 20;

// What the callbacks of one exchange fill in.
struct Reply_Reader {
    Http_Response response;
    std::vector<std::string> pieces;
    std::size_t body_bytes = 0;
    std::size_t header_bytes = 0;
    bool body_too_large = false;
    bool headers_too_large = false;
};

// libcurl hands on the body unpacked: the bound is on what it unpacks to.
// Returning less than was given stops the exchange.
std::size_t Take_Body(char* data, std::size_t size, std::size_t count, void* user) {
    auto& reader = *static_cast<Reply_Reader*>(user);
    const std::size_t length = size * count;
    if (length > Largest_Reply_Bytes - reader.body_bytes) {
        reader.body_too_large = true;
        return 0;
    }
    for (std::size_t left = length; left > 0;) {
        if (reader.pieces.empty() || reader.pieces.back().size() == Body_Piece_Bytes) {
            reader.pieces.emplace_back();
        }
        std::string& piece = reader.pieces.back();
        const std::size_t taken = std::min(left, Body_Piece_Bytes - piece.size());
        piece.append(data, taken);
        data += taken;
        left -= taken;
        reader.body_bytes += taken;
    }
    return length;
}

// The pieces joined, each freed as soon as it is copied.
std::string Joined_Body(std::vector<std::string>& pieces, std::size_t bytes) {
    if (pieces.size() == 1) {
        return std::move(pieces.front());
    }
    std::string body;
    body.reserve(bytes);
    for (auto& piece : pieces) {
        body += piece;
        std::string().swap(piece);
    }
    return body;
}

std::size_t Take_Header(char* data, std::size_t size, std::size_t count, void* user) {
    auto& reader = *static_cast<Reply_Reader*>(user);
    const std::size_t length = size * count;
    // Counted over every block, so that endless interim replies end too.
    reader.header_bytes += length;
    if (reader.header_bytes > Largest_Reply_Header_Bytes) {
        reader.headers_too_large = true;
        return 0;
    }
    const std::string_view line(data, length);
    // Each status line starts a new block of headers (after a 100 Continue,
    // say): only the last block is the reply's.
    if (line.starts_with("HTTP/")) {
        reader.response.Headers.clear();
    } else if (auto header = Read_Header_Line(line)) {
        reader.response.Headers.push_back(std::move(*header));
    }
    return length;
}

void Initialise_Curl_Once() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

[[noreturn]] void Refuse_Address(const std::string& url) {
    throw CalDAV_Error(
        CalDAV_Failure::Unreachable, 0,
        "The calendar server could not be reached (the address \"" + url + "\" is not one).");
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct Url_Handle {
    CURLU* url = curl_url();
    ~Url_Handle() { curl_url_cleanup(url); }
    Url_Handle() = default;
    Url_Handle(const Url_Handle&) = delete;
    Url_Handle& operator=(const Url_Handle&) = delete;

    // A part, or empty where the URL has none.
    std::string Part(CURLUPart part) const {
        char* text = nullptr;
        if (curl_url_get(url, part, &text, 0) != CURLUE_OK || text == nullptr) {
            return {};
        }
        std::string result(text);
        curl_free(text);
        return result;
    }
};

}  // namespace

struct Curl_Transport::Handle {
    CURL* curl = nullptr;
    detail::Credential_Origin credentials;
    detail::Certificate_Check certificate;
    explicit Handle(std::string_view origin) : credentials(origin) {}
    ~Handle() {
        if (curl != nullptr) {
            curl_easy_cleanup(curl);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

Curl_Transport::Curl_Transport(Http_Transport_Options options)
    : options_(std::move(options)), handle_(std::make_unique<Handle>(options_.Origin)) {
    if (!options_.Trusted_Certificate.empty()) {
        const auto fingerprint = Normal_Fingerprint(options_.Trusted_Certificate);
        if (!fingerprint) {
            throw CalDAV_Error(CalDAV_Failure::Untrusted_Certificate, 0,
                               "The certificate trusted for the calendar server is not given by "
                               "its SHA-256 fingerprint (32 pairs of hexadecimal digits).");
        }
        handle_->certificate.Trusted_Fingerprint = *fingerprint;
    }
    Initialise_Curl_Once();
    handle_->curl = curl_easy_init();
    if (handle_->curl == nullptr) {
        throw CalDAV_Error(CalDAV_Failure::Unreachable, 0,
                           "The connection library could not be started.");
    }
}

Curl_Transport::~Curl_Transport() = default;

Http_Response Curl_Transport::Send(const Http_Request& request) {
    CURL* curl = handle_->curl;
    // A reset keeps the open connection; only the options go.
    curl_easy_reset(curl);
    Reply_Reader reader;
    char error_text[CURL_ERROR_SIZE] = {};

    // The URL read once, by libcurl's own reader, for the connection and for
    // the origin the credentials are checked against alike.
    Url_Handle url;
    if (url.url == nullptr ||
        curl_url_set(url.url, CURLUPART_URL, request.Url.c_str(), 0) != CURLUE_OK) {
        Refuse_Address(request.Url);
    }
    const std::string scheme = Lower(url.Part(CURLUPART_SCHEME));
    const std::string host = Lower(url.Part(CURLUPART_HOST));
    const std::string port = url.Part(CURLUPART_PORT);
    if ((scheme != "http" && scheme != "https") || host.empty()) {
        Refuse_Address(request.Url);
    }
    const bool default_port =
        port.empty() || (scheme == "http" && port == "80") || (scheme == "https" && port == "443");
    const std::string origin = scheme + "://" + host + (default_port ? "" : ":" + port);
    const bool with_user_info =
        !url.Part(CURLUPART_USER).empty() || !url.Part(CURLUPART_PASSWORD).empty();
    if (with_user_info) {
        throw CalDAV_Error(CalDAV_Failure::Foreign_Origin, 0,
                           "Tessaly does not send a request to an address with a user name or "
                           "password in it.");
    }

    curl_easy_setopt(curl, CURLOPT_CURLU, url.url);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_text);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(options_.Connect_Timeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(options_.Timeout.count()));
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Tessaly");
    // A declared length past the bound is refused before the body is read.
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(Largest_Reply_Bytes));
    if ((!options_.User.empty() || !options_.Password.empty()) &&
        handle_->credentials.Allows(origin)) {
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(curl, CURLOPT_USERNAME, options_.User.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, options_.Password.c_str());
    }

    detail::Certificate_Check& certificate = handle_->certificate;
    certificate.Refused = false;
    certificate.Refused_Fingerprint.clear();
    if (scheme == "https") {
        // The check needs the name without an IPv6 address's brackets.
        certificate.Host =
            host.starts_with('[') && host.ends_with(']') ? host.substr(1, host.size() - 2) : host;
        const bool checked = curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION,
                                              detail::Set_Certificate_Check) == CURLE_OK &&
                             curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, &certificate) == CURLE_OK;
        if (!checked && !certificate.Trusted_Fingerprint.empty()) {
            throw CalDAV_Error(CalDAV_Failure::Untrusted_Certificate, 0,
                               "This build's connection library cannot trust a certificate "
                               "that the system does not: it was not built with OpenSSL.");
        }
        if (checked && !certificate.Trusted_Fingerprint.empty()) {
            // The check above tells the name apart, or takes the one
            // certificate trusted whatever name it has.
            curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
        }
    }

    if (request.Method == "GET") {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    } else {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.Method.c_str());
        if (!request.Body.empty() || request.Method == "PUT") {
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.Body.data());
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(request.Body.size()));
        }
    }

    curl_slist* headers = nullptr;
    // Without this curl waits for a "100 Continue" before a larger body.
    headers = curl_slist_append(headers, "Expect:");
    for (const auto& [name, value] : request.Headers) {
        const std::string line = name + ": " + value;
        headers = curl_slist_append(headers, line.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Take_Body);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reader);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, Take_Header);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reader);

    const CURLcode result = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_CURLU, nullptr);
    curl_slist_free_all(headers);
    if (reader.body_too_large || result == CURLE_FILESIZE_EXCEEDED) {
        throw Reply_Too_Large_Error();
    }
    if (reader.headers_too_large) {
        throw Reply_Headers_Too_Large_Error();
    }
    if (certificate.Refused || result == CURLE_PEER_FAILED_VERIFICATION) {
        throw Untrusted_Certificate_Error(origin, certificate.Refused_Fingerprint,
                                          !certificate.Trusted_Fingerprint.empty());
    }
    if (result != CURLE_OK) {
        const std::string detail = error_text[0] != '\0' ? error_text : curl_easy_strerror(result);
        if (result == CURLE_OPERATION_TIMEDOUT) {
            throw CalDAV_Error(CalDAV_Failure::Timed_Out, 0,
                               "The calendar server did not answer in time (" + detail + ").");
        }
        throw CalDAV_Error(CalDAV_Failure::Unreachable, 0,
                           "The calendar server could not be reached (" + detail + ").");
    }
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reader.response.Status);
    reader.response.Body = Joined_Body(reader.pieces, reader.body_bytes);
    return std::move(reader.response);
}

std::unique_ptr<Http_Transport> Make_Http_Transport(Http_Transport_Options options) {
    return std::make_unique<Curl_Transport>(std::move(options));
}

}  // namespace tessaly
