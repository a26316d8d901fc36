#include "caldav/caldav_client.h"

#include <algorithm>
#include <utility>

#include "caldav/caldav_xml.h"

namespace tessaly {

namespace {

constexpr int Most_Redirects = 5;
constexpr int Most_Calendar_Names_Tried = 20;

bool Is_Redirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// scheme://host[:port], or empty for a URL without a scheme.
std::string Origin_Of(std::string_view url) {
    const auto scheme_end = url.find("://");
    if (scheme_end == std::string_view::npos) {
        return {};
    }
    const auto path_start = url.find_first_of("/?#", scheme_end + 3);
    return std::string(url.substr(0, path_start));
}

std::string Path_Of(std::string_view url) {
    const std::string origin = Origin_Of(url);
    std::string path(url.substr(origin.size()));
    return path.empty() ? std::string("/") : path;
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

bool Same_Resource(std::string_view a, std::string_view b) {
    auto trim = [](std::string_view url) {
        if (!url.empty() && url.back() == '/') {
            url.remove_suffix(1);
        }
        return url;
    };
    return trim(a) == trim(b);
}

CalDAV_Event Event_From(const Dav_Response& response, const std::string& url, bool with_data) {
    if (!response.Properties.Etag) {
        throw CalDAV_Error(CalDAV_Failure::Broken_Reply, 207,
                           "The calendar server sent the event " + url + " without its ETag.");
    }
    CalDAV_Event event;
    event.Url = url;
    event.Etag = *response.Properties.Etag;
    if (with_data) {
        if (!response.Properties.Calendar_Data) {
            throw CalDAV_Error(CalDAV_Failure::Broken_Reply, 207,
                               "The calendar server sent the event " + url + " without its data.");
        }
        event.Data = *response.Properties.Calendar_Data;
    }
    return event;
}

}  // namespace

std::string Resolve_Url(std::string_view base, std::string_view href) {
    if (Origin_Of(href).size() > 0) {
        return std::string(href);
    }
    const std::string origin = Origin_Of(base);
    if (href.starts_with("//")) {
        return std::string(base.substr(0, base.find("://") + 1)) + std::string(href);
    }
    if (href.starts_with("/")) {
        return origin + std::string(href);
    }
    std::string path = Path_Of(base);
    path = path.substr(0, path.find_first_of("?#"));
    path = path.substr(0, path.rfind('/') + 1);
    return origin + path + std::string(href);
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
    ++requests_sent_;
    return transport_.Send(request);
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
        url = Resolve_Url(url, location);
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
            return Resolve_Url(url, *item.Properties.Current_User_Principal);
        }
    }
    return std::nullopt;
}

std::string CalDAV_Client::Find_Calendar_Home(std::string_view address) {
    std::string start(address);
    if (Origin_Of(start).empty()) {
        start = "https://" + start;
    }
    std::vector<std::string> candidates;
    if (Path_Of(start) != "/") {
        // The user gave a path: it is likelier right than the host's guess.
        candidates.push_back(start);
    }
    candidates.push_back(Origin_Of(start) + "/.well-known/caldav");
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
    const Http_Response response =
        Send_Following("PROPFIND", url, "0", Calendar_Home_Request_Body());
    if (response.Status != 207) {
        if (response.Status == 401 || response.Status >= 500) {
            Fail_On_Status(response, "PROPFIND", url);
        }
    } else {
        for (const auto& item : Parse_Multistatus(response.Body).Responses) {
            if (item.Properties.Calendar_Home_Set) {
                return With_Slash(Resolve_Url(url, *item.Properties.Calendar_Home_Set));
            }
        }
    }
    throw CalDAV_Error(CalDAV_Failure::No_Calendar_Service, response.Status,
                       "No calendars were found at " + std::string(address) +
                           ": the server there does not say where the user's calendars are.");
}

std::vector<CalDAV_Calendar> CalDAV_Client::List_Calendars(std::string_view home_url) {
    const std::string url(home_url);
    const Http_Response response = Send("PROPFIND", url, "1", Calendar_Properties_Request_Body());
    Expect(response, {207}, "PROPFIND", url);
    std::vector<CalDAV_Calendar> calendars;
    for (const auto& item : Parse_Multistatus(response.Body).Responses) {
        const Dav_Properties& properties = item.Properties;
        if (!properties.Is_Calendar) {
            continue;
        }
        CalDAV_Calendar calendar;
        calendar.Url = With_Slash(Resolve_Url(url, item.Href));
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
    const Http_Response response = Send("PROPFIND", url, "0", Calendar_Properties_Request_Body());
    Expect(response, {207}, "PROPFIND", url);
    for (const auto& item : Parse_Multistatus(response.Body).Responses) {
        if (!Same_Resource(Resolve_Url(url, item.Href), url)) {
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
    throw CalDAV_Error(CalDAV_Failure::Not_Found, response.Status,
                       "There is no calendar at " + url + ".");
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
        // servers. A 409 where nothing is means the home itself is missing.
        if (response.Status == 405) {
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

std::vector<CalDAV_Event> CalDAV_Client::Read_Events(std::string_view calendar_url,
                                                     bool with_data) {
    const std::string url(calendar_url);
    const Http_Response response = Send("REPORT", url, "1", Event_Query_Body(with_data));
    Expect(response, {207}, "REPORT", url);
    std::vector<CalDAV_Event> events;
    for (const auto& item : Parse_Multistatus(response.Body).Responses) {
        const std::string item_url = Resolve_Url(url, item.Href);
        if (item.Status == 404 || Same_Resource(item_url, url)) {
            continue;
        }
        events.push_back(Event_From(item, item_url, with_data));
    }
    return events;
}

std::vector<CalDAV_Event> CalDAV_Client::Read_Events(std::string_view calendar_url,
                                                     const std::vector<std::string>& urls) {
    if (urls.empty()) {
        return {};
    }
    std::vector<std::string> paths;
    paths.reserve(urls.size());
    for (const auto& event_url : urls) {
        paths.push_back(Path_Of(event_url));
    }
    const std::string url(calendar_url);
    const Http_Response response = Send("REPORT", url, "1", Event_Multiget_Body(paths));
    Expect(response, {207}, "REPORT", url);
    std::vector<CalDAV_Event> events;
    for (const auto& item : Parse_Multistatus(response.Body).Responses) {
        if (item.Status == 404 || !item.Properties.Etag) {
            continue;
        }
        events.push_back(Event_From(item, Resolve_Url(url, item.Href), true));
    }
    return events;
}

CalDAV_Changes CalDAV_Client::Read_Changes(std::string_view calendar_url,
                                           std::string_view sync_token) {
    const std::string url(calendar_url);
    const Http_Response response = Send("REPORT", url, "0", Sync_Collection_Body(sync_token));
    Expect(response, {207}, "REPORT", url);
    const Dav_Multistatus multistatus = Parse_Multistatus(response.Body);
    if (!multistatus.Sync_Token) {
        throw CalDAV_Error(CalDAV_Failure::Broken_Reply, 207,
                           "The calendar server's list of changes carries no new sync token.");
    }
    CalDAV_Changes changes;
    changes.Sync_Token = *multistatus.Sync_Token;
    for (const auto& item : multistatus.Responses) {
        const std::string item_url = Resolve_Url(url, item.Href);
        if (Same_Resource(item_url, url)) {
            continue;
        }
        if (item.Status == 404) {
            changes.Removed.push_back(item_url);
        } else {
            changes.Changed.push_back(Event_From(item, item_url, false));
        }
    }
    return changes;
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
    ++requests_sent_;
    const Http_Response response = transport_.Send(request);
    Expect(response, {200, 201, 204}, "PUT", request.Url);
    return response.Header("etag");
}

void CalDAV_Client::Delete_Event(std::string_view url, std::string_view etag) {
    Http_Request request;
    request.Method = "DELETE";
    request.Url = std::string(url);
    request.Headers.emplace_back("If-Match", std::string(etag));
    ++requests_sent_;
    const Http_Response response = transport_.Send(request);
    Expect(response, {200, 204}, "DELETE", request.Url);
}

}  // namespace tessaly
