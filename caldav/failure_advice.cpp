#include "caldav/failure_advice.h"

#include <string>
#include <string_view>
#include <utility>

#include "caldav/caldav_url.h"

namespace tessaly {

std::string Failure_Advice(CalDAV_Failure failure) {
    switch (failure) {
        case CalDAV_Failure::Unreachable:
            return "The calendar server could not be reached. Check the address and the "
                   "network connection.";
        case CalDAV_Failure::Timed_Out:
            return "The calendar server did not answer in time. Check the network connection, "
                   "or try again later: the server may be busy.";
        case CalDAV_Failure::Unauthorized:
            return "The calendar server refused the login. Check the user name and the "
                   "password; Nextcloud and iCloud need an app password, made in the account's "
                   "security settings, not the password used to sign in.";
        case CalDAV_Failure::Forbidden:
            return "The calendar server does not let this user do that. Check the user name, "
                   "and that this user may use the calendar.";
        case CalDAV_Failure::Not_Found:
            return "The calendar is not on the server any more. Find the calendars again and "
                   "choose one.";
        case CalDAV_Failure::Precondition_Failed:
            return "An event changed on the calendar server during the sync. Sync again.";
        case CalDAV_Failure::Server_Error:
            return "The calendar server failed. Try again later; if it goes on, the server's "
                   "administrator can see why in its log.";
        case CalDAV_Failure::Unexpected_Status:
        case CalDAV_Failure::Broken_Reply:
            return "The server's answers are not a calendar server's. Check that the address "
                   "is the server's calendar (CalDAV) address.";
        case CalDAV_Failure::No_Calendar_Service:
            return "There is no calendar service at this address. Check the address: for "
                   "Nextcloud it ends in /remote.php/dav, for Ba\xC3\xAFkal in /dav.php.";
        case CalDAV_Failure::Foreign_Origin:
            return "The server sent Tessaly on to another address, and Tessaly sends the "
                   "password only to the address typed. If that address is your calendar "
                   "server's, type it as the address.";
        case CalDAV_Failure::Untrusted_Certificate:
            return "The calendar server's certificate is not trusted by this computer. Check "
                   "the address; trust the certificate only if the server is your own and its "
                   "fingerprint matches.";
    }
    return "The calendar server could not be used.";
}

namespace {

// A server at home often serves no https, which is what an address typed
// without a scheme is taken to mean: the address with http:// instead.
std::string Plain_Http_Address(std::string_view server) {
    constexpr std::string_view secure = "https://";
    const std::string origin = Url_Origin(server);
    if (!origin.starts_with(secure)) {
        return {};
    }
    std::string_view host = std::string_view(origin).substr(secure.size());
    host =
        host.starts_with('[') ? host.substr(1, host.find(']') - 1) : host.substr(0, host.find(':'));
    if (!Is_Local_Host(host)) {
        return {};
    }
    return "http://" + std::string(server.substr(secure.size()));
}

}  // namespace

std::string Failure_Sentence(CalDAV_Failure failure, long status, std::string_view message,
                             std::string_view server) {
    std::string detail(message);
    while (!detail.empty() && (detail.back() == '.' || detail.back() == ' ')) {
        detail.pop_back();
    }
    std::string advice = Failure_Advice(failure);
    // "The calendar server could not be reached (reason)" after the same
    // words in the advice: only the reason is news.
    const std::string opening = advice.substr(0, advice.find('.'));
    if (detail.starts_with(opening)) {
        std::string rest = detail.substr(opening.size());
        while (!rest.empty() && rest.front() == ' ') {
            rest.erase(0, 1);
        }
        if (rest.size() > 2 && rest.front() == '(' && rest.back() == ')') {
            detail = rest.substr(1, rest.size() - 2);
        }
    }
    if (status != 0) {
        const std::string origin = Url_Origin(server);
        std::string reply = "HTTP " + std::to_string(status);
        if (!origin.empty()) {
            reply += " from " + origin;
        }
        detail = detail.empty() ? reply : reply + ": " + detail;
    }
    std::string sentence = std::move(advice);
    if (failure == CalDAV_Failure::Unreachable) {
        if (const std::string plain = Plain_Http_Address(server); !plain.empty()) {
            sentence +=
                " A server on this computer or the home network may have no https: "
                "then type its address as " +
                plain + ".";
        }
    }
    if (!detail.empty()) {
        sentence += " (Details: " + detail + ")";
    }
    return sentence;
}

std::string Failure_Sentence(const CalDAV_Error& error, std::string_view server) {
    return Failure_Sentence(error.Failure(), error.Status(), error.what(), server);
}

}  // namespace tessaly
