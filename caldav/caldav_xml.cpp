#include "caldav/caldav_xml.h"

#include <cstdlib>

#include "caldav/caldav_xml_tree.h"
#include "caldav/http_transport.h"

namespace tessaly {

namespace detail {

void Broken_Xml_Reply(const std::string& why) {
    throw CalDAV_Error(CalDAV_Failure::Broken_Reply, 207,
                       "The calendar server's reply could not be read (" + why + ").");
}

}  // namespace detail

namespace {

using detail::Xml_Element;

constexpr std::string_view Dav_Namespace = "DAV:";
constexpr std::string_view CalDAV_Namespace = "urn:ietf:params:xml:ns:caldav";
constexpr std::string_view CardDAV_Namespace = "urn:ietf:params:xml:ns:carddav";
constexpr std::string_view Server_Namespace = "http://calendarserver.org/ns/";

bool Is(const Xml_Element* element, std::string_view space, std::string_view name) {
    return element != nullptr && element->Space == space && element->Name == name;
}

const Xml_Element* Child(const Xml_Element& element, std::string_view space,
                         std::string_view name) {
    for (const auto& child : element.Children) {
        if (Is(child.Element, space, name)) {
            return child.Element;
        }
    }
    return nullptr;
}

// All the text inside, the children's included, in the order written.
void Append_Text(const Xml_Element& element, std::string& text) {
    std::size_t at = 0;
    for (const auto& child : element.Children) {
        text.append(element.Text, at, child.Offset - at);
        at = child.Offset;
        Append_Text(*child.Element, text);
    }
    text.append(element.Text, at);
}

std::string Text_Of(const Xml_Element& element) {
    std::string text;
    Append_Text(element, text);
    return text;
}

// Text_Of, moved out of an element without children (an event's data, as
// large as the reply nearly) rather than copied.
std::string Take_Text(Xml_Element& element) {
    if (element.Children.empty()) {
        return std::move(element.Text);
    }
    return Text_Of(element);
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
std::optional<std::string> Href_In(const Xml_Element& property) {
    if (const Xml_Element* href = Child(property, Dav_Namespace, "href")) {
        return Trimmed(Text_Of(*href));
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

void Read_Property(Xml_Element& property, Dav_Properties& properties) {
    if (Is(&property, Dav_Namespace, "getetag")) {
        properties.Etag = Trimmed(Text_Of(property));
    } else if (Is(&property, Dav_Namespace, "displayname")) {
        properties.Display_Name = Text_Of(property);
    } else if (Is(&property, Server_Namespace, "getctag")) {
        properties.Ctag = Trimmed(Text_Of(property));
    } else if (Is(&property, Dav_Namespace, "sync-token")) {
        properties.Sync_Token = Trimmed(Text_Of(property));
    } else if (Is(&property, CalDAV_Namespace, "calendar-data")) {
        properties.Calendar_Data = Take_Text(property);
    } else if (Is(&property, CardDAV_Namespace, "address-data")) {
        properties.Address_Data = Take_Text(property);
    } else if (Is(&property, Dav_Namespace, "current-user-principal")) {
        properties.Current_User_Principal = Href_In(property);
    } else if (Is(&property, CalDAV_Namespace, "calendar-home-set")) {
        properties.Calendar_Home_Set = Href_In(property);
    } else if (Is(&property, CardDAV_Namespace, "addressbook-home-set")) {
        properties.Address_Book_Home_Set = Href_In(property);
    } else if (Is(&property, Dav_Namespace, "resourcetype")) {
        properties.Is_Collection = Child(property, Dav_Namespace, "collection") != nullptr;
        properties.Is_Calendar = Child(property, CalDAV_Namespace, "calendar") != nullptr;
        properties.Is_Address_Book = Child(property, CardDAV_Namespace, "addressbook") != nullptr;
    } else if (Is(&property, CalDAV_Namespace, "supported-calendar-component-set")) {
        for (const auto& comp : property.Children) {
            if (Is(comp.Element, CalDAV_Namespace, "comp") &&
                !comp.Element->Name_Attribute.empty()) {
                properties.Components.push_back(comp.Element->Name_Attribute);
            }
        }
    }
}

Dav_Response Read_Response(const Xml_Element& element) {
    Dav_Response response;
    for (const auto& [offset, child] : element.Children) {
        if (Is(child, Dav_Namespace, "href") && response.Href.empty()) {
            response.Href = Trimmed(Text_Of(*child));
        } else if (Is(child, Dav_Namespace, "status")) {
            response.Status = Status_Code(Trimmed(Text_Of(*child)));
        } else if (Is(child, Dav_Namespace, "propstat")) {
            const Xml_Element* status = Child(*child, Dav_Namespace, "status");
            const long code = status != nullptr ? Status_Code(Trimmed(Text_Of(*status))) : 0;
            const Xml_Element* prop = Child(*child, Dav_Namespace, "prop");
            if (code < 200 || code > 299 || prop == nullptr) {
                continue;
            }
            for (const auto& property : prop->Children) {
                Read_Property(*property.Element, response.Properties);
            }
        }
    }
    return response;
}

}  // namespace

Dav_Multistatus Parse_Multistatus(std::string_view xml) {
    const detail::Xml_Tree tree = detail::Read_Xml_Tree(xml);
    if (!Is(tree.Root, Dav_Namespace, "multistatus")) {
        detail::Broken_Xml_Reply("it is not a multistatus");
    }
    Dav_Multistatus result;
    for (const auto& [offset, child] : tree.Root->Children) {
        if (Is(child, Dav_Namespace, "response")) {
            result.Responses.push_back(Read_Response(*child));
            if (result.Responses.back().Href.empty()) {
                detail::Broken_Xml_Reply("a response names no resource");
            }
        } else if (Is(child, Dav_Namespace, "sync-token")) {
            result.Sync_Token = Trimmed(Text_Of(*child));
        }
    }
    return result;
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

std::string Address_Book_Home_Request_Body() {
    return std::string(Xml_Declaration) +
           "<d:propfind xmlns:d=\"DAV:\" xmlns:card=\"urn:ietf:params:xml:ns:carddav\"><d:prop>"
           "<card:addressbook-home-set/></d:prop></d:propfind>";
}

std::string Address_Book_Properties_Request_Body() {
    return std::string(Xml_Declaration) +
           "<d:propfind xmlns:d=\"DAV:\" xmlns:cs=\"http://calendarserver.org/ns/\"><d:prop>"
           "<d:resourcetype/><d:displayname/><cs:getctag/><d:sync-token/></d:prop></d:propfind>";
}

std::string Member_Etags_Request_Body() {
    return std::string(Xml_Declaration) +
           "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:resourcetype/><d:getetag/></d:prop>"
           "</d:propfind>";
}

std::string Contact_Multiget_Body(const std::vector<std::string>& hrefs) {
    std::string body = std::string(Xml_Declaration) +
                       "<card:addressbook-multiget xmlns:d=\"DAV:\" "
                       "xmlns:card=\"urn:ietf:params:xml:ns:carddav\"><d:prop><d:getetag/>"
                       "<card:address-data/></d:prop>";
    for (const auto& href : hrefs) {
        body += "<d:href>" + Escape_Xml_Text(href) + "</d:href>";
    }
    return body + "</card:addressbook-multiget>";
}

}  // namespace tessaly
