#include "caldav/curl_transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <utility>

namespace tessaly {

namespace {

std::size_t Take_Body(char* data, std::size_t size, std::size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

std::size_t Take_Header(char* data, std::size_t size, std::size_t count, void* user) {
    auto& headers = *static_cast<std::vector<std::pair<std::string, std::string>>*>(user);
    const std::string_view line(data, size * count);
    // Each status line starts a new block of headers (after a 100 Continue,
    // say): only the last block is the reply's.
    if (line.starts_with("HTTP/")) {
        headers.clear();
    } else if (auto header = Read_Header_Line(line)) {
        headers.push_back(std::move(*header));
    }
    return size * count;
}

void Initialise_Curl_Once() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

struct Curl_Transport::Handle {
    CURL* curl = nullptr;
    ~Handle() {
        if (curl != nullptr) {
            curl_easy_cleanup(curl);
        }
    }
};

Curl_Transport::Curl_Transport(Http_Transport_Options options)
    : options_(std::move(options)), handle_(std::make_unique<Handle>()) {
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
    Http_Response response;
    char error_text[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, request.Url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_text);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(options_.Connect_Timeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(options_.Timeout.count()));
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Tessaly");
    if (!options_.User.empty() || !options_.Password.empty()) {
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(curl, CURLOPT_USERNAME, options_.User.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, options_.Password.c_str());
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
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response.Body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, Take_Header);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &response.Headers);

    const CURLcode result = curl_easy_perform(curl);
    curl_slist_free_all(headers);
    if (result != CURLE_OK) {
        const std::string detail = error_text[0] != '\0' ? error_text : curl_easy_strerror(result);
        if (result == CURLE_OPERATION_TIMEDOUT) {
            throw CalDAV_Error(CalDAV_Failure::Timed_Out, 0,
                               "The calendar server did not answer in time (" + detail + ").");
        }
        throw CalDAV_Error(CalDAV_Failure::Unreachable, 0,
                           "The calendar server could not be reached (" + detail + ").");
    }
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.Status);
    return response;
}

std::unique_ptr<Http_Transport> Make_Http_Transport(Http_Transport_Options options) {
    return std::make_unique<Curl_Transport>(std::move(options));
}

}  // namespace tessaly
