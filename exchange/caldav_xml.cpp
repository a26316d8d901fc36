#include "exchange/caldav_xml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "exchange/http_transport.h"

namespace tessaly {

namespace {

constexpr const char* Dav_Namespace = "DAV:";
constexpr const char* CalDAV_Namespace = "urn:ietf:params:xml:ns:caldav";
constexpr const char* Server_Namespace = "http://calendarserver.org/ns/";

// xmlFree is a variable holding the function: a deleter of our own calls it.
struct Xml_Free {
    void operator()(xmlChar* text) const { xmlFree(text); }
};
using Xml_Text = std::unique_ptr<xmlChar, Xml_Free>;

bool Is(const xmlNode* node, const char* space, const char* name) {
    return node != nullptr && node->type == XML_ELEMENT_NODE && node->ns != nullptr &&
           node->ns->href != nullptr &&
           std::strcmp(reinterpret_cast<const char*>(node->ns->href), space) == 0 &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

const xmlNode* Child(const xmlNode* node, const char* space, const char* name) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (Is(child, space, name)) {
            return child;
        }
    }
    return nullptr;
}

std::string Text_Of(const xmlNode* node) {
    const Xml_Text content(xmlNodeGetContent(node));
    return content ? std::string(reinterpret_cast<const char*>(content.get())) : std::string();
}

std::string Trimmed(std::string text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// The href inside a property such as current-user-principal.
std::optional<std::string> Href_In(const xmlNode* property) {
    if (const xmlNode* href = Child(property, Dav_Namespace, "href")) {
        return Trimmed(Text_Of(href));
    }
    return std::nullopt;
}

// "HTTP/1.1 404 Not Found" gives 404; anything unreadable 0.
long Status_Code(const std::string& line) {
    const auto space = line.find(' ');
    if (space == std::string::npos) {
        return 0;
    }
    return std::strtol(line.c_str() + space + 1, nullptr, 10);
}

void Read_Property(const xmlNode* property, Dav_Properties& properties) {
    if (Is(property, Dav_Namespace, "getetag")) {
        properties.Etag = Trimmed(Text_Of(property));
    } else if (Is(property, Dav_Namespace, "displayname")) {
        properties.Display_Name = Text_Of(property);
    } else if (Is(property, Server_Namespace, "getctag")) {
        properties.Ctag = Trimmed(Text_Of(property));
    } else if (Is(property, Dav_Namespace, "sync-token")) {
        properties.Sync_Token = Trimmed(Text_Of(property));
    } else if (Is(property, CalDAV_Namespace, "calendar-data")) {
        properties.Calendar_Data = Text_Of(property);
    } else if (Is(property, Dav_Namespace, "current-user-principal")) {
        properties.Current_User_Principal = Href_In(property);
    } else if (Is(property, CalDAV_Namespace, "calendar-home-set")) {
        properties.Calendar_Home_Set = Href_In(property);
    } else if (Is(property, Dav_Namespace, "resourcetype")) {
        properties.Is_Collection = Child(property, Dav_Namespace, "collection") != nullptr;
        properties.Is_Calendar = Child(property, CalDAV_Namespace, "calendar") != nullptr;
    } else if (Is(property, CalDAV_Namespace, "supported-calendar-component-set")) {
        for (const xmlNode* comp = property->children; comp != nullptr; comp = comp->next) {
            if (Is(comp, CalDAV_Namespace, "comp")) {
                const Xml_Text name(xmlGetProp(comp, reinterpret_cast<const xmlChar*>("name")));
                if (name) {
                    properties.Components.emplace_back(reinterpret_cast<const char*>(name.get()));
                }
            }
        }
    }
}

Dav_Response Read_Response(const xmlNode* node) {
    Dav_Response response;
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (Is(child, Dav_Namespace, "href") && response.Href.empty()) {
            response.Href = Trimmed(Text_Of(child));
        } else if (Is(child, Dav_Namespace, "status")) {
            response.Status = Status_Code(Trimmed(Text_Of(child)));
        } else if (Is(child, Dav_Namespace, "propstat")) {
            const xmlNode* status = Child(child, Dav_Namespace, "status");
            const long code = status != nullptr ? Status_Code(Trimmed(Text_Of(status))) : 0;
            const xmlNode* prop = Child(child, Dav_Namespace, "prop");
            if (code < 200 || code > 299 || prop == nullptr) {
                continue;
            }
            for (const xmlNode* property = prop->children; property != nullptr;
                 property = property->next) {
                Read_Property(property, response.Properties);
            }
        }
    }
    return response;
}

[[noreturn]] void Broken(const std::string& why) {
    throw CalDAV_Error(CalDAV_Failure::Broken_Reply, 207,
                       "The calendar server's reply could not be read (" + why + ").");
}

}  // namespace

Dav_Multistatus Parse_Multistatus(std::string_view xml) {
    if (xml.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        Broken("it is too long");
    }
    // No entity substitution, no DTD loading, nothing from the network, no
    // messages on the terminal.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> document(
        xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, options),
        xmlFreeDoc);
    if (!document) {
        Broken("it is not well-formed XML");
    }
    const xmlNode* root = xmlDocGetRootElement(document.get());
    if (!Is(root, Dav_Namespace, "multistatus")) {
        Broken("it is not a multistatus");
    }
    Dav_Multistatus result;
    for (const xmlNode* child = root->children; child != nullptr; child = child->next) {
        if (Is(child, Dav_Namespace, "response")) {
            result.Responses.push_back(Read_Response(child));
            if (result.Responses.back().Href.empty()) {
                Broken("a response names no resource");
            }
        } else if (Is(child, Dav_Namespace, "sync-token")) {
            result.Sync_Token = Trimmed(Text_Of(child));
        }
    }
    return result;
}

std::string Escape_Xml_Text(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

namespace {

constexpr const char* Xml_Declaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

}  // namespace

std::string Principal_Request_Body() {
    return std::string(Xml_Declaration) +
           "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:current-user-principal/>"
           "</d:prop></d:propfind>";
}

std::string Calendar_Home_Request_Body() {
    return std::string(Xml_Declaration) +
           "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:prop>"
           "<c:calendar-home-set/></d:prop></d:propfind>";
}

std::string Calendar_Properties_Request_Body() {
    return std::string(Xml_Declaration) +
           "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\" "
           "xmlns:cs=\"http://calendarserver.org/ns/\"><d:prop><d:resourcetype/>"
           "<d:displayname/><c:supported-calendar-component-set/><cs:getctag/>"
           "<d:sync-token/></d:prop></d:propfind>";
}

std::string Make_Calendar_Request_Body(std::string_view display_name) {
    return std::string(Xml_Declaration) +
           "<c:mkcalendar xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:set>"
           "<d:prop><d:displayname>" +
           Escape_Xml_Text(display_name) +
           "</d:displayname><c:supported-calendar-component-set><c:comp name=\"VEVENT\"/>"
           "</c:supported-calendar-component-set></d:prop></d:set></c:mkcalendar>";
}

std::string Event_Query_Body(bool with_data) {
    return std::string(Xml_Declaration) +
           "<c:calendar-query xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
           "<d:prop><d:getetag/>" +
           (with_data ? "<c:calendar-data/>" : "") +
           "</d:prop><c:filter><c:comp-filter name=\"VCALENDAR\"><c:comp-filter name=\"VEVENT\"/>"
           "</c:comp-filter></c:filter></c:calendar-query>";
}

std::string Event_Multiget_Body(const std::vector<std::string>& hrefs) {
    std::string body = std::string(Xml_Declaration) +
                       "<c:calendar-multiget xmlns:d=\"DAV:\" "
                       "xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:prop><d:getetag/>"
                       "<c:calendar-data/></d:prop>";
    for (const auto& href : hrefs) {
        body += "<d:href>" + Escape_Xml_Text(href) + "</d:href>";
    }
    return body + "</c:calendar-multiget>";
}

std::string Sync_Collection_Body(std::string_view sync_token) {
    return std::string(Xml_Declaration) + "<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>" +
           Escape_Xml_Text(sync_token) +
           "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop>"
           "</d:sync-collection>";
}

}  // namespace tessaly
