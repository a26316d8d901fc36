#pragma once

#include <memory>
#include <string>

#include "caldav/http_transport.h"

namespace tessaly {

// The options' former name, for callers not yet moved to Make_Http_Transport.
using Curl_Transport_Options = Http_Transport_Options;

// HTTP and HTTPS through libcurl, as Make_Http_Transport describes.
class Curl_Transport : public Http_Transport {
public:
    explicit Curl_Transport(Http_Transport_Options options);
    ~Curl_Transport() override;
    Curl_Transport(const Curl_Transport&) = delete;
    Curl_Transport& operator=(const Curl_Transport&) = delete;

    Http_Response Send(const Http_Request& request) override;

private:
    struct Handle;
    Http_Transport_Options options_;
    std::unique_ptr<Handle> handle_;
};

}  // namespace tessaly
