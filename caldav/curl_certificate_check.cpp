#include "caldav/curl_certificate_check.h"

#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <arpa/inet.h>

namespace tessaly::detail {

namespace {

std::string Fingerprint_Of(X509* certificate) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (certificate == nullptr || X509_digest(certificate, EVP_sha256(), digest, &length) != 1) {
        return {};
    }
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int at = 0; at < length; ++at) {
        if (at > 0) {
            text += ':';
        }
        text += Digits[digest[at] >> 4];
        text += Digits[digest[at] & 0x0F];
    }
    return text;
}

bool Is_Address(const std::string& host) {
    unsigned char bytes[16];
    return inet_pton(AF_INET, host.c_str(), bytes) == 1 ||
           inet_pton(AF_INET6, host.c_str(), bytes) == 1;
}

// Replaces OpenSSL's own verification of the chain.
int Verify_Certificate(X509_STORE_CTX* context, void* data) {
    auto& check = *static_cast<Certificate_Check*>(data);
    // The system's store, and the name (or address) the request is for:
    // libcurl checks the name only after the handshake, and not at all where
    // a trusted certificate takes the check's place.
    X509_VERIFY_PARAM* parameters = X509_STORE_CTX_get0_param(context);
    const bool named =
        Is_Address(check.Host)
            ? X509_VERIFY_PARAM_set1_ip_asc(parameters, check.Host.c_str()) == 1
            : X509_VERIFY_PARAM_set1_host(parameters, check.Host.c_str(), check.Host.size()) == 1;
    if (named && X509_verify_cert(context) == 1) {
        return 1;
    }
    const std::string fingerprint = Fingerprint_Of(X509_STORE_CTX_get0_cert(context));
    if (!fingerprint.empty() && fingerprint == check.Trusted_Fingerprint) {
        // The error stays with the connection, and libcurl reads it after.
        X509_STORE_CTX_set_error(context, X509_V_OK);
        return 1;
    }
    check.Refused = true;
    check.Refused_Fingerprint = fingerprint;
    if (X509_STORE_CTX_get_error(context) == X509_V_OK) {
        X509_STORE_CTX_set_error(context, X509_V_ERR_CERT_REJECTED);
    }
    return 0;
}

}  // namespace

CURLcode Set_Certificate_Check(CURL* /*curl*/, void* ssl_context, void* check) {
    auto* context = static_cast<SSL_CTX*>(ssl_context);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_cert_verify_callback(context, Verify_Certificate, check);
    return CURLE_OK;
}

}  // namespace tessaly::detail
