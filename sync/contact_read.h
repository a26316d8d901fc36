#pragma once

#include <string>
#include <vector>

#include "caldav/caldav_client.h"
#include "sync/contact_entries.h"

namespace tessaly {

// Contacts read in one multiget at most: a reply of cards with photos stays
// well under the client's size cap.
inline constexpr std::size_t Contacts_Per_Read = 100;

// Each chosen address book as it is now, reading only what changed since
// `last`: one request for a book whose sync token (or ctag) is the one kept,
// the changes since the token (RFC 6578) where it moved on, and every
// member's ETag where the server keeps no token or refuses the one kept;
// then the changed members' cards. A book that is gone, or at another origin
// than the account's, comes with its Problem; a failure that stops any sync
// (no connection, refused login) throws CalDAV_Error.
std::vector<Book_Reading> Read_Address_Books(CalDAV_Client& client,
                                             const std::vector<std::string>& urls,
                                             const Contacts_State& last);

}  // namespace tessaly
