#include "test_support/memory_caldav_server.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>

#include "caldav/caldav_xml.h"

namespace tessaly::test {

namespace {

constexpr std::string_view Origin = "http://memory.invalid";
constexpr std::string_view Collection_Path = "/cal/";
constexpr std::string_view Token_Prefix = "http://memory.invalid/sync/";

std::optional<std::string> Header_Of(const Http_Request& request, std::string_view name) {
    for (const auto& [key, value] : request.Headers) {
        if (key.size() == name.size() &&
            std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return value;
        }
    }
    return std::nullopt;
}

// The texts of every <...name>...</...name> element of a request body.
std::vector<std::string> Element_Texts(std::string_view body, std::string_view name) {
    std::vector<std::string> texts;
    const std::string open = ":" + std::string(name) + ">";
    const std::string close = "</";
    for (std::size_t at = body.find(open); at != std::string_view::npos; at = body.find(open, at)) {
        at += open.size();
        const std::size_t end = body.find(close, at);
        if (end == std::string_view::npos) {
            break;
        }
        std::string text(body.substr(at, end - at));
        for (std::size_t amp = text.find("&amp;"); amp != std::string::npos;
             amp = text.find("&amp;", amp + 1)) {
            text.erase(amp + 1, 4);
        }
        texts.push_back(std::move(text));
        at = body.find('>', end);  // past the closing tag, which ends as the opening one
    }
    return texts;
}

Http_Response Reply(long status, std::string body = {}) {
    Http_Response response;
    response.Status = status;
    response.Body = std::move(body);
    return response;
}

std::string Multistatus(const std::string& responses) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<d:multistatus xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\" "
           "xmlns:cs=\"http://calendarserver.org/ns/\">" +
           responses + "</d:multistatus>";
}

std::string Ok_Response(const std::string& href, const std::string& properties) {
    return "<d:response><d:href>" + Escape_Xml_Text(href) + "</d:href><d:propstat><d:prop>" +
           properties + "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
}

std::string Gone_Response(const std::string& href) {
    return "<d:response><d:href>" + Escape_Xml_Text(href) +
           "</d:href><d:status>HTTP/1.1 404 Not Found</d:status></d:response>";
}

std::string Href_Of(const std::string& name) {
    return std::string(Collection_Path) + name;
}

}  // namespace

std::string Memory_CalDAV_Server::Token() const {
    return std::string(Token_Prefix) + std::to_string(generation_) + "-" + std::to_string(counter_);
}

void Memory_CalDAV_Server::Write(const std::string& name, const std::string& data) {
    Resource& resource = resources_[name];
    resource.Data = data;
    resource.Etag = "\"e" + std::to_string(++etags_made_) + "\"";
    resource.Changed = ++counter_;
    removed_.erase(name);
}

void Memory_CalDAV_Server::Erase(const std::string& name) {
    resources_.erase(name);
    removed_[name] = ++counter_;
}

void Memory_CalDAV_Server::Put(const std::string& name, const std::string& data) {
    Write(name, data);
}

bool Memory_CalDAV_Server::Remove(const std::string& name) {
    if (!resources_.contains(name)) {
        return false;
    }
    Erase(name);
    return true;
}

void Memory_CalDAV_Server::Remove_All() {
    while (!resources_.empty()) {
        const std::string name = resources_.begin()->first;  // outlives the erased key
        Erase(name);
    }
}

void Memory_CalDAV_Server::Recreate() {
    resources_.clear();
    removed_.clear();
    ++generation_;
    counter_ = 0;
}

std::vector<std::pair<std::string, std::string>> Memory_CalDAV_Server::Events() const {
    std::vector<std::pair<std::string, std::string>> events;
    for (const auto& [name, resource] : resources_) {
        events.emplace_back(name, resource.Data);
    }
    return events;
}

Http_Response Memory_CalDAV_Server::Send(const Http_Request& request) {
    const std::string base = std::string(Origin) + std::string(Collection_Path);
    if (!request.Url.starts_with(base)) {
        return Reply(404);
    }
    const std::string name = request.Url.substr(base.size());
    if (name.find('/') != std::string::npos) {
        return Reply(404);
    }
    if (request.Method == "PROPFIND") {
        return name.empty() ? Propfind(request) : Reply(404);
    }
    if (request.Method == "REPORT") {
        return name.empty() ? Report(request) : Reply(405);
    }
    if (name.empty()) {
        return Reply(405);
    }
    if (request.Method == "PUT" || request.Method == "DELETE") {
        if (auto before = std::exchange(Before_Next_Write, nullptr)) {
            before();
        }
        return request.Method == "PUT" ? Put_Request(request, name) : Delete_Request(request, name);
    }
    return Reply(405);
}

Http_Response Memory_CalDAV_Server::Propfind(const Http_Request& request) const {
    if (Header_Of(request, "Depth").value_or("infinity") != "0") {
        return Reply(403);
    }
    const std::string token = Escape_Xml_Text(Token());
    return Reply(207, Multistatus(Ok_Response(
                          std::string(Collection_Path),
                          "<d:resourcetype><d:collection/><c:calendar/></d:resourcetype>"
                          "<d:displayname>Memory</d:displayname>"
                          "<c:supported-calendar-component-set><c:comp name=\"VEVENT\"/>"
                          "</c:supported-calendar-component-set><cs:getctag>" +
                              token + "</cs:getctag><d:sync-token>" + token + "</d:sync-token>")));
}

Http_Response Memory_CalDAV_Server::Report(const Http_Request& request) const {
    const std::string& body = request.Body;
    const auto event_response = [](const std::string& name, const Resource& resource,
                                   bool with_data) {
        std::string properties = "<d:getetag>" + Escape_Xml_Text(resource.Etag) + "</d:getetag>";
        if (with_data) {
            properties +=
                "<c:calendar-data>" + Escape_Xml_Text(resource.Data) + "</c:calendar-data>";
        }
        return Ok_Response(Href_Of(name), properties);
    };
    if (body.find("sync-collection") != std::string::npos) {
        const auto tokens = Element_Texts(body, "sync-token");
        return Changes_Since(tokens.empty() ? std::string() : tokens.front());
    }
    std::string responses;
    if (body.find("calendar-multiget") != std::string::npos) {
        for (const auto& href : Element_Texts(body, "href")) {
            const std::string name = href.starts_with(Collection_Path)
                                         ? href.substr(Collection_Path.size())
                                         : std::string();
            const auto at = resources_.find(name);
            responses += at == resources_.end() ? Gone_Response(href)
                                                : event_response(name, at->second, true);
        }
        return Reply(207, Multistatus(responses));
    }
    if (body.find("calendar-query") != std::string::npos) {
        const bool with_data = body.find("calendar-data") != std::string::npos;
        for (const auto& [name, resource] : resources_) {
            responses += event_response(name, resource, with_data);
        }
        return Reply(207, Multistatus(responses));
    }
    return Reply(400);
}

Http_Response Memory_CalDAV_Server::Changes_Since(const std::string& token) const {
    // "<prefix><generation>-<counter>", of this collection's life and not
    // ahead of it; anything else is a token this server does not know.
    std::optional<std::uint64_t> since;
    const std::string generation = std::to_string(generation_) + "-";
    if (token.starts_with(Token_Prefix) &&
        std::string_view(token).substr(Token_Prefix.size()).starts_with(generation)) {
        const std::string count = token.substr(Token_Prefix.size() + generation.size());
        if (!count.empty() && count.size() < 19 &&
            count.find_first_not_of("0123456789") == std::string::npos) {
            since = std::stoull(count);
        }
    }
    if (!since || *since > counter_) {
        return Reply(403,
                     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                     "<d:error xmlns:d=\"DAV:\"><d:valid-sync-token/></d:error>");
    }
    std::string responses;
    for (const auto& [name, resource] : resources_) {
        if (resource.Changed > *since) {
            responses += Ok_Response(
                Href_Of(name), "<d:getetag>" + Escape_Xml_Text(resource.Etag) + "</d:getetag>");
        }
    }
    for (const auto& [name, changed] : removed_) {
        if (changed > *since) {
            responses += Gone_Response(Href_Of(name));
        }
    }
    return Reply(207, Multistatus(responses + "<d:sync-token>" + Escape_Xml_Text(Token()) +
                                  "</d:sync-token>"));
}

Http_Response Memory_CalDAV_Server::Put_Request(const Http_Request& request,
                                                const std::string& name) {
    const auto at = resources_.find(name);
    const auto if_match = Header_Of(request, "If-Match");
    const auto if_none_match = Header_Of(request, "If-None-Match");
    if ((if_none_match == "*" && at != resources_.end()) ||
        (if_match && (at == resources_.end() || at->second.Etag != *if_match))) {
        return Reply(412);
    }
    const bool created = at == resources_.end();
    Write(name, request.Body);
    ++client_writes_;
    Http_Response response = Reply(created ? 201 : 204);
    response.Headers.emplace_back("etag", resources_[name].Etag);
    return response;
}

Http_Response Memory_CalDAV_Server::Delete_Request(const Http_Request& request,
                                                   const std::string& name) {
    const auto at = resources_.find(name);
    if (at == resources_.end()) {
        return Reply(404);
    }
    const auto if_match = Header_Of(request, "If-Match");
    if (if_match && at->second.Etag != *if_match) {
        return Reply(412);
    }
    Erase(name);
    ++client_writes_;
    return Reply(204);
}

}  // namespace tessaly::test
