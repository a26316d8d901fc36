#pragma once

#include <curl/curl.h>

#include <string>

namespace tessaly::detail {

// The check of the server's certificate in libcurl's OpenSSL handshake: the
// system's store and the server's name first; where that fails, the leaf
// certificate is still taken if it is the one trusted for the account. Runs
// before the handshake ends, so nothing is sent to a server that fails it.
struct Certificate_Check {
    std::string Host;                 // the name or address the request is for
    std::string Trusted_Fingerprint;  // as Normal_Fingerprint gives it; empty: none
    // Set by a refusal, with the refused certificate's fingerprint.
    bool Refused = false;
    std::string Refused_Fingerprint;
};

// For CURLOPT_SSL_CTX_FUNCTION, with the check as its data: sets the check
// on the new connection's OpenSSL context.
CURLcode Set_Certificate_Check(CURL* curl, void* ssl_context, void* check);

}  // namespace tessaly::detail
