#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "exchange/http_transport.h"

namespace tessaly {

struct Curl_Transport_Options {
    std::string User;
    std::string Password;
    std::chrono::milliseconds Connect_Timeout{10000};
    // For the whole exchange, connection included.
    std::chrono::milliseconds Timeout{60000};
};

// HTTP and HTTPS through libcurl, with basic authentication sent on every
// request (so that a request is never sent twice to learn the scheme) and
// the connection kept open between requests. Certificates are checked
// against the system's store. One transport per thread.
class Curl_Transport : public Http_Transport {
public:
    explicit Curl_Transport(Curl_Transport_Options options);
    ~Curl_Transport() override;
    Curl_Transport(const Curl_Transport&) = delete;
    Curl_Transport& operator=(const Curl_Transport&) = delete;

    Http_Response Send(const Http_Request& request) override;

private:
    struct Handle;
    Curl_Transport_Options options_;
    std::unique_ptr<Handle> handle_;
};

}  // namespace tessaly
