#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// The address of the calendar server as the user typed it, made ready to use:
// `https://` assumed where no scheme is typed, scheme and host in lower case.
// Problem says in plain words why it cannot be used (then Url is empty): not
// an http or https address, a space, no server's name, http:// to a server
// on the internet (the password would travel readable), or a user name or
// password written into it, which would end up stored with the address.
struct Server_Address {
    std::string Url;
    std::string Problem;
};
Server_Address Read_Server_Address(std::string_view typed);
// Whether a host (a name, an IPv4 address, or an IPv6 one in brackets, in
// lower case) is this computer or on the home network: loopback, private and
// link-local addresses, names without a dot and names never given out on the
// internet (".local", ".home.arpa", ...). Only those are reached over http://.
bool Is_Local_Host(std::string_view host);
// Read_Server_Address's problem, or none when the address can be used.
std::optional<std::string> Server_Address_Problem(std::string_view typed);

// "scheme://host[:port]" of an absolute http or https URL, in lower case and
// without the scheme's default port, so that two spellings of one origin
// compare equal; empty for anything else, and for a URL with a user name in
// it. The password goes only to the origin of the account's address.
std::string Url_Origin(std::string_view url);

// The URL spelt one way for every spelling of it (RFC 3986, 6.2.2): scheme
// and host in lower case, the default port dropped, an empty path as "/",
// escapes in upper case, escapes of characters that need none decoded, bytes
// that need one escaped, dot segments removed, the fragment dropped. In the
// path, "@", ":" and the sub-delimiters count as needing no escape, as HTTP
// servers decode the path whole: ".../a%40b.ics" and ".../a@b.ics" name one
// event. A reference without a scheme is taken as a path.
std::string Normal_Url(std::string_view url);

// Whether two URLs name the same resource: the same Normal_Url, a trailing
// slash aside (a collection is named either way).
bool Same_Url(std::string_view a, std::string_view b);

// An href of a reply made absolute against the URL of the request (RFC 3986,
// 5.2), the server's own escapes kept: that spelling is sent back to it.
std::string Resolve_Url(std::string_view base, std::string_view href);

}  // namespace tessaly
