#include "caldav/http_transport.h"

#include <algorithm>
#include <cctype>

#include "caldav/caldav_url.h"

namespace tessaly {

std::optional<std::pair<std::string, std::string>> Read_Header_Line(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    std::string name(line.substr(0, colon));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
        value.remove_prefix(1);
    }
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r' ||
                              value.back() == '\n')) {
        value.remove_suffix(1);
    }
    return std::make_pair(std::move(name), std::string(value));
}

std::string Http_Response::Header(std::string_view lower_case_name) const {
    for (const auto& [name, value] : Headers) {
        if (name == lower_case_name) {
            return value;
        }
    }
    return {};
}

CalDAV_Error Reply_Too_Large_Error() {
    return CalDAV_Error(CalDAV_Failure::Broken_Reply, 0,
                        "The calendar server's reply is larger than " +
                            std::to_string(Largest_Reply_Bytes >> 20) +
                            " MiB; Tessaly stopped reading it.");
}

CalDAV_Error Reply_Headers_Too_Large_Error() {
    return CalDAV_Error(CalDAV_Failure::Broken_Reply, 0,
                        "The calendar server's reply has more than " +
                            std::to_string(Largest_Reply_Header_Bytes >> 10) +
                            " KiB of headers; Tessaly stopped reading it.");
}

std::optional<std::string> Normal_Fingerprint(std::string_view text) {
    std::string digits;
    for (const char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        } else if (c != ':' && c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            return std::nullopt;
        }
    }
    // 32 bytes; colons, where given, only between the pairs.
    if (digits.size() != 64) {
        return std::nullopt;
    }
    std::string fingerprint;
    for (std::size_t at = 0; at < digits.size(); at += 2) {
        if (at > 0) {
            fingerprint += ':';
        }
        fingerprint.append(digits, at, 2);
    }
    std::string written;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            written += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    if (written != digits && written != fingerprint) {
        return std::nullopt;
    }
    return fingerprint;
}

CalDAV_Error Untrusted_Certificate_Error(const std::string& origin, const std::string& fingerprint,
                                         bool other_trusted) {
    const std::string shown =
        fingerprint.empty() ? std::string() : " (its SHA-256 fingerprint is " + fingerprint + ")";
    if (other_trusted) {
        return CalDAV_Error(
            CalDAV_Failure::Untrusted_Certificate, 0,
            "The calendar server at " + origin +
                " showed a certificate other than the one trusted for it" + shown +
                ", so Tessaly stopped before sending anything. If the server's certificate was "
                "renewed, compare this fingerprint with the new certificate's on the server "
                "and trust it in the calendar account; otherwise someone may be listening in "
                "between.",
            fingerprint);
    }
    return CalDAV_Error(CalDAV_Failure::Untrusted_Certificate, 0,
                        "The calendar server at " + origin +
                            " showed a certificate that this computer does not trust" + shown +
                            ", so Tessaly stopped before sending anything. If the server is "
                            "your own and made its certificate itself, compare this "
                            "fingerprint with its certificate's on the server, and if they "
                            "match, trust it in the calendar account.",
                        fingerprint);
}

namespace detail {

Credential_Origin::Credential_Origin(std::string_view account_address) {
    if (account_address.empty()) {
        return;
    }
    origin_ = Url_Origin(account_address);
    if (origin_.empty()) {
        throw CalDAV_Error(CalDAV_Failure::Unreachable, 0,
                           "The calendar server's address \"" + std::string(account_address) +
                               "\" is not one Tessaly can use.");
    }
}

bool Credential_Origin::Allows(const std::string& request_origin) {
    if (origin_.empty()) {
        origin_ = request_origin;
    }
    // An address no transport reads the same way never gets them.
    return !request_origin.empty() && request_origin == origin_;
}

}  // namespace detail

}  // namespace tessaly
