#include "caldav/caldav_client.h"

#include <algorithm>
#include <utility>

namespace tessaly {

namespace {

constexpr int Most_Redirects = 5;
constexpr int Most_Calendar_Names_Tried = 20;

bool Is_Redirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// scheme://authority as written, or empty for a URL without a scheme.
std::string Prefix_Of(std::string_view url) {
    const auto scheme_end = url.find("://");
    if (scheme_end == std::string_view::npos) {
        return {};
    }
    const auto path_start = url.find_first_of("/?#", scheme_end + 3);
    return std::string(url.substr(0, path_start));
}

std::string Path_Of(std::string_view url) {
    const std::string prefix = Prefix_Of(url);
    std::string path(url.substr(prefix.size()));
    return path.empty() ? std::string("/") : path;
}

// Where a URL that is not the account's origin came from.
enum class Foreign_Source { Redirect, Reply, Caller };

[[noreturn]] void Refuse_Foreign(const std::string& own_origin, const std::string& url,
                                 Foreign_Source source, long status) {
    const std::string origin = Url_Origin(url);
    const std::string other = origin.empty() ? "\"" + url + "\"" : origin;
    const std::string why =
        "; Tessaly sends the password only to the address you gave, so it stopped.";
    switch (source) {
        case Foreign_Source::Redirect:
            throw CalDAV_Error(
                CalDAV_Failure::Foreign_Origin, status,
                "The calendar server at " + own_origin + " sent Tessaly on to " + other + why);
        case Foreign_Source::Reply:
            throw CalDAV_Error(
                CalDAV_Failure::Foreign_Origin, status,
                "The calendar server at " + own_origin + " named a place at " + other + why);
        case Foreign_Source::Caller:
            break;
    }
    throw CalDAV_Error(
        CalDAV_Failure::Foreign_Origin, status,
        "The address " + url + " is not at the account's calendar server " + own_origin + why);
}

std::string With_Slash(std::string_view url) {
    std::string result(url);
    if (result.empty() || result.back() != '/') {
        result += '/';
    }
    return result;
}

std::string Describe(const std::string& method, const std::string& url) {
    return method + " " + url;
}

[[noreturn]] void Fail_On_Status(const Http_Response& response, const std::string& method,
                                 const std::string& url) {
    const long status = response.Status;
    const std::string code = std::to_string(status);
    if (status == 401) {
        throw CalDAV_Error(CalDAV_Failure::Unauthorized, status,
                           "The calendar server refused the user name or password (401).");
    }
    if (status == 403) {
        throw CalDAV_Error(
            CalDAV_Failure::Forbidden, status,
            "The calendar server does not allow " + Describe(method, url) + " (403).");
    }
    if (status == 404 || status == 410) {
        throw CalDAV_Error(CalDAV_Failure::Not_Found, status,
                           "The calendar server has nothing at " + url + " (" + code + ").");
    }
    if (status == 412) {
        throw CalDAV_Error(
            CalDAV_Failure::Precondition_Failed, status,
            "The resource at " + url + " was changed on the server since it was read (412).");
    }
    if (status >= 500 && status <= 599) {
        throw CalDAV_Error(
            CalDAV_Failure::Server_Error, status,
            "The calendar server failed on " + Describe(method, url) + " (" + code + ").");
    }
    throw CalDAV_Error(CalDAV_Failure::Unexpected_Status, status,
                       "The calendar server answered " + Describe(method, url) +
                           " with the unexpected status " + code + ".");
}

void Expect(const Http_Response& response, std::initializer_list<long> statuses,
            const std::string& method, const std::string& url) {
    if (std::find(statuses.begin(), statuses.end(), response.Status) == statuses.end()) {
        Fail_On_Status(response, method, url);
    }
}

std::string Calendar_Slug(std::string_view display_name) {
    std::string slug;
    for (const char c : display_name) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9')) {
            slug += c;
        } else if (byte >= 'A' && byte <= 'Z') {
            slug += static_cast<char>(byte - 'A' + 'a');
        } else if (!slug.empty() && slug.back() != '-') {
            slug += '-';
        }
    }
    while (!slug.empty() && slug.back() == '-') {
        slug.pop_back();
    }
    return slug.empty() ? std::string("calendar") : slug;
}

// The member the reply gives, its data moved out of the `data` property
// (none when null); with its Problem where the server could not give it whole.
CalDAV_Event Event_From(Dav_Response& response, std::string url,
                        std::optional<std::string> Dav_Properties::*data) {
    const std::string noun =
        data == &Dav_Properties::Address_Data ? std::string("contact") : std::string("event");
    CalDAV_Event event;
    event.Url = std::move(url);
    if (response.Status != 0 && response.Status != 200) {
        event.Problem =
            "the server could not give this " + noun + ": " + std::to_string(response.Status);
        return event;
    }
    if (response.Properties.Etag) {
        event.Etag = std::move(*response.Properties.Etag);
    } else {
        event.Problem = "the server sent this " + noun + " without its ETag";
    }
    if (data != nullptr) {
        if (response.Properties.*data) {
            event.Data = std::move(*(response.Properties.*data));
        } else if (event.Problem.empty()) {
            event.Problem = "the server sent this " + noun + " without its data";
        }
    }
    return event;
}

}  // namespace

CalDAV_Client::CalDAV_Client(Http_Transport& transport, std::string_view account_address)
    : transport_(transport) {
    if (account_address.empty()) {
        return;
    }
    Server_Address address = Read_Server_Address(account_address);
    if (address.Problem.empty()) {
        origin_ = Url_Origin(address.Url);
    } else {
        address_problem_ = std::move(address.Problem);
    }
}

void CalDAV_Client::Take_Account_Address(const std::string& url) {
    if (!address_problem_.empty()) {
        throw CalDAV_Error(CalDAV_Failure::Unreachable, 0, address_problem_);
    }
    if (origin_.empty()) {
        origin_ = Url_Origin(url);
    }
    if (origin_.empty()) {
        throw CalDAV_Error(
            CalDAV_Failure::Unreachable, 0,
            "The calendar server could not be reached (the address \"" + url + "\" is not one).");
    }
}

std::string CalDAV_Client::Resolve_Own(const std::string& base, std::string_view href) {
    std::string url = Resolve_Url(base, href);
    if (Url_Origin(url) != origin_) {
        Refuse_Foreign(origin_, url, Foreign_Source::Reply, 207);
    }
    return url;
}

Http_Response CalDAV_Client::Exchange(const Http_Request& request) {
    Take_Account_Address(request.Url);
    const std::string origin = Url_Origin(request.Url);
    if (origin.empty() || origin != origin_) {
        Refuse_Foreign(origin_, request.Url, Foreign_Source::Caller, 0);
    }
    ++requests_sent_;
    return transport_.Send(request);
}

Http_Response CalDAV_Client::Send(const std::string& method, const std::string& url,
                                  std::string_view depth, std::string body) {
    Http_Request request;
    request.Method = method;
    request.Url = url;
    if (!depth.empty()) {
        request.Headers.emplace_back("Depth", std::string(depth));
    }
    if (!body.empty()) {
        request.Headers.emplace_back("Content-Type", "application/xml; charset=utf-8");
    }
    request.Body = std::move(body);
    return Exchange(request);
}

Dav_Multistatus CalDAV_Client::Read_Multistatus(const std::string& method, const std::string& url,
                                                std::string_view depth, std::string body) {
    const Http_Response response = Send(method, url, depth, std::move(body));
    Expect(response, {207}, method, url);
    return Parse_Multistatus(response.Body);
}

Http_Response CalDAV_Client::Send_Following(const std::string& method, std::string& url,
                                            std::string_view depth, const std::string& body) {
    for (int redirects = 0;; ++redirects) {
        Http_Response response = Send(method, url, depth, body);
        if (!Is_Redirect(response.Status)) {
            return response;
        }
        const std::string location = response.Header("location");
        if (location.empty() || redirects == Most_Redirects) {
            Fail_On_Status(response, method, url);
        }
        const std::string next = Resolve_Url(url, location);
        if (Url_Origin(next) != origin_) {
            Refuse_Foreign(origin_, next, Foreign_Source::Redirect, response.Status);
        }
        url = next;
    }
}

std::optional<std::string> CalDAV_Client::Principal_Of(const std::string& start_url) {
    std::string url = start_url;
    const Http_Response response = Send_Following("PROPFIND", url, "0", Principal_Request_Body());
    if (response.Status == 401) {
        Fail_On_Status(response, "PROPFIND", url);
    }
    if (response.Status != 207) {
        // Not a WebDAV resource: the next place to look.
        return std::nullopt;
    }
    for (const auto& item : Parse_Multistatus(response.Body).Responses) {
        if (item.Properties.Current_User_Principal) {
            return Resolve_Own(url, *item.Properties.Current_User_Principal);
        }
    }
    return std::nullopt;
}

std::string CalDAV_Client::Find_Calendar_Home(std::string_view address) {
    return Find_Home(address, false);
}

std::string CalDAV_Client::Find_Address_Book_Home(std::string_view address) {
    return Find_Home(address, true);
}

std::string CalDAV_Client::Find_Home(std::string_view address, bool address_books) {
    Server_Address typed = Read_Server_Address(address);
    if (!typed.Problem.empty()) {
        throw CalDAV_Error(CalDAV_Failure::Unreachable, 0, typed.Problem);
    }
    const std::string start = std::move(typed.Url);
    Take_Account_Address(start);
    std::vector<std::string> candidates;
    if (Path_Of(start) != "/") {
        // The user gave a path: it is likelier right than the host's guess.
        candidates.push_back(start);
    }
    candidates.push_back(Prefix_Of(start) +
                         (address_books ? "/.well-known/carddav" : "/.well-known/caldav"));
    if (Path_Of(start) == "/") {
        candidates.push_back(start);
    }

    std::optional<std::string> principal;
    for (const auto& candidate : candidates) {
        principal = Principal_Of(candidate);
        if (principal) {
            break;
        }
    }
    // Without a principal, the address may itself carry the home (or be it).
    std::string url = principal.value_or(start);
    const Http_Response response = Send_Following(
        "PROPFIND", url, "0",
        address_books ? Address_Book_Home_Request_Body() : Calendar_Home_Request_Body());
    if (response.Status != 207) {
        if (response.Status == 401 || response.Status >= 500) {
            Fail_On_Status(response, "PROPFIND", url);
        }
    } else {
        for (const auto& item : Parse_Multistatus(response.Body).Responses) {
            const auto& home = address_books ? item.Properties.Address_Book_Home_Set
                                             : item.Properties.Calendar_Home_Set;
            if (home) {
                return With_Slash(Resolve_Own(url, *home));
            }
        }
    }
    const std::string things = address_books ? "address books" : "calendars";
    throw CalDAV_Error(CalDAV_Failure::No_Calendar_Service, response.Status,
                       "No " + things + " were found at " + std::string(address) +
                           ": the server there does not say where the user's " + things + " are.");
}

std::vector<CalDAV_Calendar> CalDAV_Client::List_Calendars(std::string_view home_url) {
    const std::string url(home_url);
    const Dav_Multistatus reply =
        Read_Multistatus("PROPFIND", url, "1", Calendar_Properties_Request_Body());
    std::vector<CalDAV_Calendar> calendars;
    for (const auto& item : reply.Responses) {
        const std::string item_url = Resolve_Own(url, item.Href);
        const Dav_Properties& properties = item.Properties;
        if (!properties.Is_Calendar) {
            continue;
        }
        CalDAV_Calendar calendar;
        calendar.Url = With_Slash(item_url);
        calendar.Display_Name = properties.Display_Name.value_or("");
        calendar.Ctag = properties.Ctag.value_or("");
        calendar.Sync_Token = properties.Sync_Token.value_or("");
        calendar.Takes_Events =
            properties.Components.empty() ||
            std::find(properties.Components.begin(), properties.Components.end(), "VEVENT") !=
                properties.Components.end();
        calendars.push_back(std::move(calendar));
    }
    return calendars;
}

CalDAV_Calendar CalDAV_Client::Read_Calendar(std::string_view calendar_url) {
    const std::string url(calendar_url);
    const Dav_Multistatus reply =
        Read_Multistatus("PROPFIND", url, "0", Calendar_Properties_Request_Body());
    for (const auto& item : reply.Responses) {
        if (!Same_Url(Resolve_Own(url, item.Href), url)) {
            continue;
        }
        if (!item.Properties.Is_Calendar) {
            break;
        }
        CalDAV_Calendar calendar;
        calendar.Url = With_Slash(url);
        calendar.Display_Name = item.Properties.Display_Name.value_or("");
        calendar.Ctag = item.Properties.Ctag.value_or("");
        calendar.Sync_Token = item.Properties.Sync_Token.value_or("");
        const auto& components = item.Properties.Components;
        calendar.Takes_Events =
            components.empty() ||
            std::find(components.begin(), components.end(), "VEVENT") != components.end();
        return calendar;
    }
    throw CalDAV_Error(CalDAV_Failure::Not_Found, 207, "There is no calendar at " + url + ".");
}

CalDAV_Calendar CalDAV_Client::Make_Calendar(std::string_view home_url,
                                             std::string_view display_name) {
    const std::string slug = Calendar_Slug(display_name);
    for (int attempt = 1; attempt <= Most_Calendar_Names_Tried; ++attempt) {
        const std::string url = With_Slash(home_url) + slug +
                                (attempt == 1 ? std::string() : "-" + std::to_string(attempt)) +
                                "/";
        const Http_Response response =
            Send("MKCALENDAR", url, "", Make_Calendar_Request_Body(display_name));
        // Something already has that URL: 405 as WebDAV says, 409 from some
        // servers, and DAV:resource-must-be-null (in a 207 from Xandikos). A
        // 409 where nothing is means the home itself is missing.
        if (response.Status == 405 ||
            ((response.Status == 207 || response.Status == 403) &&
             response.Body.find("resource-must-be-null") != std::string::npos)) {
            continue;
        }
        if (response.Status == 409) {
            if (Send("PROPFIND", url, "0", Principal_Request_Body()).Status == 207) {
                continue;
            }
            Fail_On_Status(response, "MKCALENDAR", url);
        }
        Expect(response, {201}, "MKCALENDAR", url);
        return Read_Calendar(url);
    }
    throw CalDAV_Error(CalDAV_Failure::Unexpected_Status, 405,
                       "The calendar server has no free address for a new calendar under " +
                           std::string(home_url) + ".");
}

// The members of a calendar-query or multiget reply: the collection itself
// and members gone (404) are left out.
std::vector<CalDAV_Event> CalDAV_Client::Events_Of(
    Dav_Multistatus& reply, const std::string& url,
    std::optional<std::string> Dav_Properties::*data) {
    std::vector<CalDAV_Event> events;
    events.reserve(reply.Responses.size());
    for (auto& item : reply.Responses) {
        std::string item_url = Resolve_Own(url, item.Href);
        // A PROPFIND lists the sub-collections too: they are not members.
        if (item.Status == 404 || Same_Url(item_url, url) || item.Properties.Is_Collection) {
            continue;
        }
        events.push_back(Event_From(item, std::move(item_url), data));
    }
    return events;
}

std::vector<CalDAV_Event> CalDAV_Client::Read_Events(std::string_view calendar_url,
                                                     bool with_data) {
    const std::string url(calendar_url);
    Dav_Multistatus reply = Read_Multistatus("REPORT", url, "1", Event_Query_Body(with_data));
    return Events_Of(reply, url, with_data ? &Dav_Properties::Calendar_Data : nullptr);
}

std::vector<CalDAV_Event> CalDAV_Client::Read_Events(std::string_view calendar_url,
                                                     const std::vector<std::string>& urls) {
    if (urls.empty()) {
        return {};
    }
    const std::string url(calendar_url);
    Take_Account_Address(url);
    Dav_Multistatus reply =
        Read_Multistatus("REPORT", url, "1", Event_Multiget_Body(Own_Paths(urls)));
    return Events_Of(reply, url, &Dav_Properties::Calendar_Data);
}

std::vector<std::string> CalDAV_Client::Own_Paths(const std::vector<std::string>& urls) {
    std::vector<std::string> paths;
    paths.reserve(urls.size());
    for (const auto& member_url : urls) {
        // Only its path goes: it must be on the account's server.
        if (Url_Origin(member_url) != origin_) {
            Refuse_Foreign(origin_, member_url, Foreign_Source::Caller, 0);
        }
        paths.push_back(Path_Of(member_url));
    }
    return paths;
}

CalDAV_Changes CalDAV_Client::Read_Changes(std::string_view calendar_url,
                                           std::string_view sync_token) {
    const std::string url(calendar_url);
    Dav_Multistatus multistatus =
        Read_Multistatus("REPORT", url, "0", Sync_Collection_Body(sync_token));
    if (!multistatus.Sync_Token) {
        throw CalDAV_Error(CalDAV_Failure::Broken_Reply, 207,
                           "The calendar server's list of changes carries no new sync token.");
    }
    CalDAV_Changes changes;
    changes.Sync_Token = *multistatus.Sync_Token;
    for (auto& item : multistatus.Responses) {
        std::string item_url = Resolve_Own(url, item.Href);
        if (Same_Url(item_url, url)) {
            continue;
        }
        if (item.Status == 404) {
            changes.Removed.push_back(std::move(item_url));
        } else {
            changes.Changed.push_back(Event_From(item, std::move(item_url), nullptr));
        }
    }
    return changes;
}

std::vector<CardDAV_Address_Book> CalDAV_Client::List_Address_Books(std::string_view home_url) {
    const std::string url(home_url);
    const Dav_Multistatus reply =
        Read_Multistatus("PROPFIND", url, "1", Address_Book_Properties_Request_Body());
    std::vector<CardDAV_Address_Book> books;
    for (const auto& item : reply.Responses) {
        const std::string item_url = Resolve_Own(url, item.Href);
        const Dav_Properties& properties = item.Properties;
        if (!properties.Is_Address_Book) {
            continue;
        }
        CardDAV_Address_Book book;
        book.Url = With_Slash(item_url);
        book.Display_Name = properties.Display_Name.value_or("");
        book.Ctag = properties.Ctag.value_or("");
        book.Sync_Token = properties.Sync_Token.value_or("");
        books.push_back(std::move(book));
    }
    return books;
}

CardDAV_Address_Book CalDAV_Client::Read_Address_Book_Info(std::string_view address_book_url) {
    const std::string url(address_book_url);
    const Dav_Multistatus reply =
        Read_Multistatus("PROPFIND", url, "0", Address_Book_Properties_Request_Body());
    for (const auto& item : reply.Responses) {
        if (!Same_Url(Resolve_Own(url, item.Href), url)) {
            continue;
        }
        if (!item.Properties.Is_Address_Book) {
            break;
        }
        CardDAV_Address_Book book;
        book.Url = With_Slash(url);
        book.Display_Name = item.Properties.Display_Name.value_or("");
        book.Ctag = item.Properties.Ctag.value_or("");
        book.Sync_Token = item.Properties.Sync_Token.value_or("");
        return book;
    }
    throw CalDAV_Error(CalDAV_Failure::Not_Found, 207, "There is no address book at " + url + ".");
}

std::vector<CardDAV_Contact> CalDAV_Client::Read_Address_Book(std::string_view address_book_url) {
    const std::string url(address_book_url);
    Dav_Multistatus reply = Read_Multistatus("PROPFIND", url, "1", Member_Etags_Request_Body());
    return Events_Of(reply, url, nullptr);
}

std::vector<CardDAV_Contact> CalDAV_Client::Read_Contacts(std::string_view address_book_url,
                                                          const std::vector<std::string>& urls) {
    if (urls.empty()) {
        return {};
    }
    const std::string url(address_book_url);
    Take_Account_Address(url);
    Dav_Multistatus reply =
        Read_Multistatus("REPORT", url, "1", Contact_Multiget_Body(Own_Paths(urls)));
    return Events_Of(reply, url, &Dav_Properties::Address_Data);
}

CardDAV_Changes CalDAV_Client::Read_Address_Book_Changes(std::string_view address_book_url,
                                                         std::string_view sync_token) {
    // RFC 6578 is the same for either kind of collection.
    return Read_Changes(address_book_url, sync_token);
}

std::string CalDAV_Client::Put_Event(std::string_view url, std::string_view data,
                                     const std::optional<std::string>& etag) {
    Http_Request request;
    request.Method = "PUT";
    request.Url = std::string(url);
    request.Headers.emplace_back("Content-Type", "text/calendar; charset=utf-8");
    if (etag) {
        request.Headers.emplace_back("If-Match", *etag);
    } else {
        request.Headers.emplace_back("If-None-Match", "*");
    }
    request.Body = std::string(data);
    const Http_Response response = Exchange(request);
    Expect(response, {200, 201, 204}, "PUT", request.Url);
    return response.Header("etag");
}

void CalDAV_Client::Delete_Event(std::string_view url, std::string_view etag) {
    Http_Request request;
    request.Method = "DELETE";
    request.Url = std::string(url);
    request.Headers.emplace_back("If-Match", std::string(etag));
    const Http_Response response = Exchange(request);
    Expect(response, {200, 204}, "DELETE", request.Url);
}

}  // namespace tessaly
