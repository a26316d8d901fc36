#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "caldav/caldav_url.h"
#include "caldav/caldav_xml.h"
#include "caldav/http_transport.h"

namespace tessaly {

struct CalDAV_Calendar {
    std::string Url;
    std::string Display_Name;
    // Either changes whenever a member changes; empty where the server keeps none.
    std::string Ctag;
    std::string Sync_Token;
    // False for a calendar that declares it takes no VEVENT (a task list).
    bool Takes_Events = true;
};

struct CalDAV_Event {
    std::string Url;
    std::string Etag;
    std::string Data;  // empty where only the ETag was asked for
    // Why the server did not give this event whole, in words for the user
    // ("the server could not give this event: 500"); empty when it did.
    std::string Problem;
};

struct CalDAV_Changes {
    // Members added or changed since the token, with their new ETags.
    std::vector<CalDAV_Event> Changed;
    std::vector<std::string> Removed;  // URLs
    std::string Sync_Token;
};

struct CardDAV_Address_Book {
    std::string Url;
    std::string Display_Name;
    // Either changes whenever a member changes; empty where the server keeps none.
    std::string Ctag;
    std::string Sync_Token;
};

// A member of an address book: Data is its vCard, as the server's reply
// gives it; the Problem reads "contact" where an event's reads "event".
using CardDAV_Contact = CalDAV_Event;
using CardDAV_Changes = CalDAV_Changes;

// The calendar side of a sync, on any HTTP transport: discovery (RFC 6764,
// 5397, 4791), calendar collections, and event resources written only under
// the ETag they were read with. Every failure throws CalDAV_Error; URLs are
// absolute, and those from the server are resolved against the request.
// Every URL sent to, given or named by the server (a redirect, an href), must
// be at the origin of the account's address, or Foreign_Origin is thrown
// before anything is sent there: the password is the account's server's only.
class CalDAV_Client {
public:
    // Without the account's address, the origin of the first URL given
    // (Find_Calendar_Home's address, or a calendar's) is the account's.
    explicit CalDAV_Client(Http_Transport& transport, std::string_view account_address = {});

    // The calendar home of the user from the address the user knows: the
    // host's /.well-known/caldav, the address itself, their principal. An
    // address Read_Server_Address finds a problem with throws Unreachable.
    std::string Find_Calendar_Home(std::string_view address);
    std::vector<CalDAV_Calendar> List_Calendars(std::string_view home_url);
    // A new calendar for events under the home; its URL is the name made
    // safe, with a number added while that URL is taken.
    CalDAV_Calendar Make_Calendar(std::string_view home_url, std::string_view display_name);
    CalDAV_Calendar Read_Calendar(std::string_view calendar_url);

    // Every event of the calendar, with its data, or only ETags. An event the
    // server could not give whole comes with its Problem, so that one broken
    // event does not stop the rest.
    std::vector<CalDAV_Event> Read_Events(std::string_view calendar_url, bool with_data = true);
    // The events at these URLs (of one calendar); those gone are left out,
    // those the server could not give come with their Problem.
    std::vector<CalDAV_Event> Read_Events(std::string_view calendar_url,
                                          const std::vector<std::string>& urls);
    // What changed since the token (RFC 6578), a change without its ETag with
    // its Problem. A token the server no longer knows throws
    // Precondition_Failed or Forbidden; read everything then.
    CalDAV_Changes Read_Changes(std::string_view calendar_url, std::string_view sync_token);

    // Creates (no ETag: only where nothing is yet) or replaces (only while the
    // resource still has that ETag) an event. Returns the new ETag, or empty
    // where the server gives none, and the event must be read to learn it.
    std::string Put_Event(std::string_view url, std::string_view data,
                          const std::optional<std::string>& etag);
    // Deletes the event while it still has that ETag.
    void Delete_Event(std::string_view url, std::string_view etag);

    // The address books (RFC 6352) of the same account, found and read as
    // the calendars are: the same origin rule, bounds and failures.
    std::string Find_Address_Book_Home(std::string_view address);
    std::vector<CardDAV_Address_Book> List_Address_Books(std::string_view home_url);
    // One address book's name, ctag and sync token, in one request; throws
    // Not_Found where there is none at that URL.
    CardDAV_Address_Book Read_Address_Book_Info(std::string_view address_book_url);
    // Every contact's URL and ETag, without data.
    std::vector<CardDAV_Contact> Read_Address_Book(std::string_view address_book_url);
    // The contacts at these URLs (of one address book) with their vCards;
    // those gone are left out, those the server could not give come with
    // their Problem.
    std::vector<CardDAV_Contact> Read_Contacts(std::string_view address_book_url,
                                               const std::vector<std::string>& urls);
    // As Read_Changes.
    CardDAV_Changes Read_Address_Book_Changes(std::string_view address_book_url,
                                              std::string_view sync_token);

    // Requests sent so far, redirects included.
    int Requests_Sent() const { return requests_sent_; }

private:
    Http_Response Exchange(const Http_Request& request);
    Http_Response Send(const std::string& method, const std::string& url, std::string_view depth,
                       std::string body);
    Http_Response Send_Following(const std::string& method, std::string& url,
                                 std::string_view depth, const std::string& body);
    Dav_Multistatus Read_Multistatus(const std::string& method, const std::string& url,
                                     std::string_view depth, std::string body);
    std::optional<std::string> Principal_Of(const std::string& url);
    // The calendar or address-book home the principal names.
    std::string Find_Home(std::string_view address, bool address_books);
    // The paths of these URLs, each at the account's origin.
    std::vector<std::string> Own_Paths(const std::vector<std::string>& urls);
    void Take_Account_Address(const std::string& url);
    // The href made absolute against the URL of the request that gave it;
    // throws Foreign_Origin for one at another origin.
    // `data` is the property the members' data is read from, or null.
    std::vector<CalDAV_Event> Events_Of(Dav_Multistatus& reply, const std::string& url,
                                        std::optional<std::string> Dav_Properties::*data);
    std::string Resolve_Own(const std::string& base, std::string_view href);

    Http_Transport& transport_;
    std::string origin_;
    // Why the account's address given cannot be used; thrown at first use.
    std::string address_problem_;
    int requests_sent_ = 0;
};

}  // namespace tessaly
