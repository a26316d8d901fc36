#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_encoding.h"

namespace tessaly {

// The properties of one resource that the calendar client reads, from the
// propstat blocks whose status is a success.
struct Dav_Properties {
    std::optional<std::string> Etag;
    std::optional<std::string> Display_Name;
    std::optional<std::string> Ctag;
    std::optional<std::string> Sync_Token;
    std::optional<std::string> Calendar_Data;
    std::optional<std::string> Address_Data;            // a vCard (RFC 6352)
    std::optional<std::string> Current_User_Principal;  // href
    std::optional<std::string> Calendar_Home_Set;       // href
    std::optional<std::string> Address_Book_Home_Set;   // href
    bool Is_Collection = false;
    bool Is_Calendar = false;
    bool Is_Address_Book = false;
    // The components a calendar takes ("VEVENT", "VTODO"); empty when the
    // server does not say, which means every kind.
    std::vector<std::string> Components;
};

struct Dav_Response {
    std::string Href;  // as written, still percent-encoded
    // The status of the response itself (404 for a member removed since a
    // sync token); 0 when it has propstat blocks instead.
    long Status = 0;
    Dav_Properties Properties;
};

struct Dav_Multistatus {
    std::vector<Dav_Response> Responses;
    std::optional<std::string> Sync_Token;
};

// A 207 Multi-Status body (RFC 4918, with the CalDAV and sync-collection
// properties). Throws CalDAV_Error (Broken_Reply) for text that is not
// well-formed XML or has no multistatus root. Entities are not expanded and
// nothing is fetched from the network.
Dav_Multistatus Parse_Multistatus(std::string_view xml);

// The request bodies.
std::string Principal_Request_Body();
std::string Calendar_Home_Request_Body();
std::string Calendar_Properties_Request_Body();
std::string Make_Calendar_Request_Body(std::string_view display_name);
// Every VEVENT of the collection, with its data when `with_data`.
std::string Event_Query_Body(bool with_data);
std::string Event_Multiget_Body(const std::vector<std::string>& hrefs);
std::string Sync_Collection_Body(std::string_view sync_token);
std::string Address_Book_Home_Request_Body();
std::string Address_Book_Properties_Request_Body();
// The ETag of every member of a collection, from a Depth 1 PROPFIND.
std::string Member_Etags_Request_Body();
std::string Contact_Multiget_Body(const std::vector<std::string>& hrefs);

}  // namespace tessaly
