#pragma once

#include <memory>

#include "caldav/http_transport.h"

namespace tessaly {

// HTTP and HTTPS through WinHTTP, the system's client on Windows, as
// Make_Http_Transport describes. The proxy is the one set for WinHTTP on the
// machine.
class WinHTTP_Transport : public Http_Transport {
public:
    explicit WinHTTP_Transport(Http_Transport_Options options);
    ~WinHTTP_Transport() override;
    WinHTTP_Transport(const WinHTTP_Transport&) = delete;
    WinHTTP_Transport& operator=(const WinHTTP_Transport&) = delete;

    Http_Response Send(const Http_Request& request) override;

private:
    struct Handles;
    Http_Transport_Options options_;
    std::unique_ptr<Handles> handles_;
};

}  // namespace tessaly
