#include "caldav/caldav_url.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace tessaly {

namespace {

bool Is_Alpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}

int Hex_Value(char c) {
    if (Is_Digit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool Is_Unreserved(char c) {
    return Is_Alpha(c) || Is_Digit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

bool Is_Sub_Delimiter(char c) {
    return c == '!' || c == '$' || c == '&' || c == '\'' || c == '(' || c == ')' || c == '*' ||
           c == '+' || c == ',' || c == ';' || c == '=';
}

// A character a path segment may hold as it is.
bool Is_Path_Character(char c) {
    return Is_Unreserved(c) || Is_Sub_Delimiter(c) || c == ':' || c == '@';
}

std::string Lower(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

bool Is_Scheme(std::string_view text) {
    if (text.empty() || !Is_Alpha(text.front())) {
        return false;
    }
    for (const char c : text) {
        if (!Is_Alpha(c) && !Is_Digit(c) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

// A URL reference taken apart as RFC 3986 appendix B does.
struct Url_Parts {
    std::string_view Scheme;  // empty for a reference without one
    bool Has_Authority = false;
    std::string_view Authority;
    std::string_view Path;
    std::optional<std::string_view> Query;  // without its "?"
};

Url_Parts Split(std::string_view url) {
    Url_Parts parts;
    if (url.find('#') != std::string_view::npos) {
        url = url.substr(0, url.find('#'));
    }
    const auto colon = url.find(':');
    if (colon != std::string_view::npos && Is_Scheme(url.substr(0, colon))) {
        parts.Scheme = url.substr(0, colon);
        url.remove_prefix(colon + 1);
    }
    if (url.starts_with("//")) {
        url.remove_prefix(2);
        const auto end = std::min(url.find_first_of("/?"), url.size());
        parts.Has_Authority = true;
        parts.Authority = url.substr(0, end);
        url.remove_prefix(end);
    }
    const auto question = url.find('?');
    parts.Path = url.substr(0, question);
    if (question != std::string_view::npos) {
        parts.Query = url.substr(question + 1);
    }
    return parts;
}

struct Authority_Parts {
    bool Has_User_Info = false;
    std::string_view User_Info;
    std::string_view Host;  // an IPv6 address with its brackets
    std::string_view Port;  // digits, or empty
};

bool Is_Host_Character(char c) {
    // Bytes past ASCII: a name in another script, which the connection
    // library turns into its ASCII form.
    return Is_Unreserved(c) || static_cast<unsigned char>(c) >= 0x80;
}

// The authority's parts; none where the host or the port is not one that
// every transport reads the same way.
std::optional<Authority_Parts> Split_Authority(std::string_view authority) {
    Authority_Parts parts;
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        parts.Has_User_Info = true;
        parts.User_Info = authority.substr(0, at);
        authority.remove_prefix(at + 1);
    }
    std::string_view port_part;
    if (authority.starts_with('[')) {
        const auto close = authority.find(']');
        if (close == std::string_view::npos || close < 3) {
            return std::nullopt;
        }
        for (const char c : authority.substr(1, close - 1)) {
            if (Hex_Value(c) < 0 && c != ':' && c != '.') {
                return std::nullopt;
            }
        }
        parts.Host = authority.substr(0, close + 1);
        port_part = authority.substr(close + 1);
    } else {
        const auto colon = authority.find(':');
        parts.Host = authority.substr(0, colon);
        port_part = colon == std::string_view::npos ? std::string_view() : authority.substr(colon);
        if (parts.Host.empty()) {
            return std::nullopt;
        }
        for (const char c : parts.Host) {
            if (!Is_Host_Character(c)) {
                return std::nullopt;
            }
        }
    }
    if (!port_part.empty()) {
        if (port_part.front() != ':') {
            return std::nullopt;
        }
        parts.Port = port_part.substr(1);
        while (parts.Port.size() > 1 && parts.Port.front() == '0') {
            parts.Port.remove_prefix(1);
        }
        if (parts.Port.size() > 5) {
            return std::nullopt;
        }
        long value = 0;
        for (const char c : parts.Port) {
            if (!Is_Digit(c)) {
                return std::nullopt;
            }
            value = value * 10 + (c - '0');
        }
        if (value > 65535 || (!parts.Port.empty() && value == 0)) {
            return std::nullopt;
        }
    }
    return parts;
}

bool Is_Default_Port(std::string_view scheme, std::string_view port) {
    return port.empty() || (scheme == "http" && port == "80") ||
           (scheme == "https" && port == "443");
}

std::string Hex_Escape(unsigned char byte) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    return {'%', Digits[byte >> 4], Digits[byte & 0x0F]};
}

// Escapes in upper case; an escape decoded where `decodes` takes its byte; a
// byte escaped where neither `decodes` nor `stays` takes it.
template <typename Decodes, typename Stays>
std::string Normal_Escapes(std::string_view text, Decodes decodes, Stays stays) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '%' && at + 2 < text.size() && Hex_Value(text[at + 1]) >= 0 &&
            Hex_Value(text[at + 2]) >= 0) {
            const auto byte =
                static_cast<unsigned char>(Hex_Value(text[at + 1]) * 16 + Hex_Value(text[at + 2]));
            const auto decoded = static_cast<char>(byte);
            result += decodes(decoded) ? std::string(1, decoded) : Hex_Escape(byte);
            at += 2;
        } else if (c != '%' && (decodes(c) || stays(c))) {
            result += c;
        } else {
            result += Hex_Escape(static_cast<unsigned char>(c));
        }
    }
    return result;
}

std::string Normal_Path_Escapes(std::string_view path) {
    return Normal_Escapes(path, Is_Path_Character, [](char c) { return c == '/'; });
}

void Drop_Last_Segment(std::string& output) {
    const auto slash = output.rfind('/');
    output.erase(slash == std::string::npos ? 0 : slash);
}

// RFC 3986, 5.2.4.
std::string Remove_Dot_Segments(std::string_view path) {
    std::string input(path);
    std::string output;
    std::size_t at = 0;
    while (at < input.size()) {
        const std::string_view rest = std::string_view(input).substr(at);
        if (rest.starts_with("../")) {
            at += 3;
        } else if (rest.starts_with("./") || rest.starts_with("/./")) {
            at += 2;
        } else if (rest == "/.") {
            input.replace(at, 2, "/");
        } else if (rest.starts_with("/../")) {
            at += 3;
            Drop_Last_Segment(output);
        } else if (rest == "/..") {
            input.replace(at, 3, "/");
            Drop_Last_Segment(output);
        } else if (rest == "." || rest == "..") {
            at = input.size();
        } else {
            const auto end = std::min(input.find('/', at + 1), input.size());
            output.append(input, at, end - at);
            at = end;
        }
    }
    return output;
}

std::string Join(std::string_view scheme, bool has_authority, std::string_view authority,
                 std::string_view path, std::optional<std::string_view> query) {
    std::string url;
    if (!scheme.empty()) {
        url += scheme;
        url += ':';
    }
    if (has_authority) {
        url += "//";
        url += authority;
    } else if (path.starts_with("//")) {
        // Dot segments removed can leave "//", which would read as an
        // authority (RFC 3986, 5.3).
        url += "/.";
    }
    url += path;
    if (query) {
        url += '?';
        url += *query;
    }
    return url;
}

}  // namespace

std::string Url_Origin(std::string_view url) {
    const Url_Parts parts = Split(url);
    const std::string scheme = Lower(parts.Scheme);
    if ((scheme != "http" && scheme != "https") || !parts.Has_Authority) {
        return {};
    }
    const auto authority = Split_Authority(parts.Authority);
    if (!authority || authority->Has_User_Info) {
        return {};
    }
    std::string origin = scheme + "://" + Lower(authority->Host);
    if (!Is_Default_Port(scheme, authority->Port)) {
        origin += ":" + std::string(authority->Port);
    }
    return origin;
}

std::string Normal_Url(std::string_view url) {
    const Url_Parts parts = Split(url);
    const std::string scheme = Lower(parts.Scheme);
    std::string authority;
    if (parts.Has_Authority) {
        if (const auto split = Split_Authority(parts.Authority)) {
            if (split->Has_User_Info) {
                authority = Normal_Escapes(split->User_Info, Is_Unreserved,
                                           [](char c) { return Is_Sub_Delimiter(c) || c == ':'; }) +
                            "@";
            }
            authority += Lower(split->Host);
            if (!Is_Default_Port(scheme, split->Port)) {
                authority += ":" + std::string(split->Port);
            }
        } else {
            // Not an authority every transport reads alike: kept as written,
            // so that no spelling of it becomes a valid one.
            authority = Lower(parts.Authority);
        }
    }
    std::string path = Normal_Path_Escapes(parts.Path);
    if (!scheme.empty() || parts.Has_Authority || path.starts_with('/')) {
        path = Remove_Dot_Segments(path);
    }
    if (parts.Has_Authority && path.empty()) {
        path = "/";
    }
    if (scheme.empty() && !parts.Has_Authority) {
        // A colon in a relative path's first segment would read as a scheme.
        const auto first_end = std::min(path.find('/'), path.size());
        for (auto colon = path.find(':'); colon < first_end; colon = path.find(':', colon)) {
            path.replace(colon, 1, "%3A");
        }
    }
    std::optional<std::string> query;
    if (parts.Query) {
        query = Normal_Escapes(*parts.Query, Is_Unreserved,
                               [](char c) { return Is_Path_Character(c) || c == '/' || c == '?'; });
    }
    return Join(scheme, parts.Has_Authority, authority, path,
                query ? std::optional<std::string_view>(*query) : std::nullopt);
}

bool Same_Url(std::string_view a, std::string_view b) {
    auto without_slash = [](std::string url) {
        const auto query = url.find('?');
        const auto path_end = query == std::string::npos ? url.size() : query;
        if (path_end > 0 && url[path_end - 1] == '/') {
            url.erase(path_end - 1, 1);
        }
        return url;
    };
    return without_slash(Normal_Url(a)) == without_slash(Normal_Url(b));
}

std::string Resolve_Url(std::string_view base, std::string_view href) {
    const Url_Parts reference = Split(href);
    if (!reference.Scheme.empty()) {
        return Join(reference.Scheme, reference.Has_Authority, reference.Authority,
                    Remove_Dot_Segments(reference.Path), reference.Query);
    }
    const Url_Parts from = Split(base);
    if (reference.Has_Authority) {
        return Join(from.Scheme, true, reference.Authority, Remove_Dot_Segments(reference.Path),
                    reference.Query);
    }
    std::string path;
    std::optional<std::string_view> query = reference.Query;
    if (reference.Path.empty()) {
        path = std::string(from.Path);
        if (!query) {
            query = from.Query;
        }
    } else if (reference.Path.starts_with('/')) {
        path = Remove_Dot_Segments(reference.Path);
    } else {
        std::string merged;
        if (from.Has_Authority && from.Path.empty()) {
            merged = "/";
        } else {
            const auto slash = from.Path.rfind('/');
            merged = slash == std::string_view::npos ? std::string()
                                                     : std::string(from.Path.substr(0, slash + 1));
        }
        merged += reference.Path;
        path = Remove_Dot_Segments(merged);
    }
    return Join(from.Scheme, from.Has_Authority, from.Authority, path, query);
}

namespace {

// Four decimal numbers of at most 255, or none.
std::optional<std::array<int, 4>> Ipv4_Parts(std::string_view host) {
    std::array<int, 4> parts{};
    std::size_t index = 0;
    int digits = 0;
    for (const char c : host) {
        if (c == '.') {
            if (digits == 0 || ++index == parts.size()) {
                return std::nullopt;
            }
            digits = 0;
        } else if (Is_Digit(c) && digits < 3) {
            parts[index] = parts[index] * 10 + (c - '0');
            ++digits;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || index != parts.size() - 1 ||
        std::any_of(parts.begin(), parts.end(), [](int part) { return part > 255; })) {
        return std::nullopt;
    }
    return parts;
}

}  // namespace

bool Is_Local_Host(std::string_view host) {
    if (host.starts_with('[') && host.ends_with(']')) {
        const std::string_view address = host.substr(1, host.size() - 2);
        if (address == "::1") {
            return true;
        }
        // Unique local (fc00::/7) and link-local (fe80::/10) addresses.
        const auto colon = address.find(':');
        if (colon != 4) {
            return false;
        }
        const std::string_view first = address.substr(0, 2);
        const char third = address[2];
        return first == "fc" || first == "fd" ||
               (first == "fe" && (third == '8' || third == '9' || third == 'a' || third == 'b'));
    }
    if (const auto ip = Ipv4_Parts(host)) {
        const int a = (*ip)[0];
        const int b = (*ip)[1];
        return a == 127 || a == 10 || (a == 172 && b >= 16 && b <= 31) || (a == 192 && b == 168) ||
               (a == 169 && b == 254) || (a == 100 && b >= 64 && b <= 127);
    }
    std::string_view name = host;
    if (name.ends_with('.')) {
        name.remove_suffix(1);
    }
    if (name.empty()) {
        return false;
    }
    if (name.find('.') == std::string_view::npos) {
        // A name without a dot is one the home network's own resolver gives.
        return true;
    }
    // Names that are never given out on the internet.
    static constexpr std::array<std::string_view, 9> Local_Endings = {
        ".localhost", ".local", ".lan",     ".home",   ".internal",
        ".home.arpa", ".test",  ".invalid", ".example"};
    return std::any_of(Local_Endings.begin(), Local_Endings.end(),
                       [name](std::string_view ending) { return name.ends_with(ending); });
}

Server_Address Read_Server_Address(std::string_view typed) {
    auto is_blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!typed.empty() && is_blank(typed.front())) {
        typed.remove_prefix(1);
    }
    while (!typed.empty() && is_blank(typed.back())) {
        typed.remove_suffix(1);
    }
    Server_Address address;
    if (typed.empty()) {
        address.Problem = "No address of the calendar server was given.";
        return address;
    }
    const std::string quoted = "\"" + std::string(typed) + "\"";
    for (const char c : typed) {
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F) {
            address.Problem = quoted +
                              " has a space in it, and a web address has none. Type it without "
                              "spaces, like https://calendar.example.org/.";
            return address;
        }
    }
    std::string url(typed);
    const auto colon = typed.find(':');
    const bool scheme_like = colon != std::string_view::npos && Is_Scheme(typed.substr(0, colon));
    const std::string_view after_colon = scheme_like ? typed.substr(colon + 1) : std::string_view();
    if (!scheme_like || after_colon.empty() || Is_Digit(after_colon.front())) {
        // A host, perhaps with a port: the secure scheme unless told otherwise.
        url = "https://" + url;
    } else {
        const std::string scheme = Lower(typed.substr(0, colon));
        if (scheme != "http" && scheme != "https") {
            address.Problem =
                "Tessaly reaches calendar servers at addresses that start with "
                "https:// or http://; " +
                quoted + " is not one.";
            return address;
        }
        if (!after_colon.starts_with("//")) {
            address.Problem = quoted +
                              " is not a web address; one looks like "
                              "https://calendar.example.org/.";
            return address;
        }
    }
    const Url_Parts parts = Split(url);
    const auto authority = Split_Authority(parts.Authority);
    if (authority && authority->Has_User_Info) {
        address.Problem =
            "The address " + quoted +
            " holds a user name or password (before the \"@\"). Type the address without "
            "them: the user name and the password have fields of their own, and are kept safe "
            "there.";
        return address;
    }
    if (parts.Authority.empty() || parts.Authority.front() == ':') {
        address.Problem = quoted +
                          " names no server. An address starts with the server's name, like "
                          "https://calendar.example.org/.";
        return address;
    }
    if (!authority) {
        address.Problem = quoted +
                          " is not a web address Tessaly can use: the server's name or port is "
                          "not one. An address looks like https://calendar.example.org/.";
        return address;
    }
    if (Lower(parts.Scheme) == "http" && !Is_Local_Host(Lower(authority->Host))) {
        // Plain HTTP would carry the password readable to every network on
        // the way; at home or on this computer there is none in between.
        address.Problem =
            "Tessaly sends the password over http:// only to a server on this "
            "computer or the home network. Type \"https://" +
            url.substr(7) + "\" for a server on the internet.";
        return address;
    }
    address.Url = Normal_Url(url);
    return address;
}

std::optional<std::string> Server_Address_Problem(std::string_view typed) {
    Server_Address address = Read_Server_Address(typed);
    if (address.Problem.empty()) {
        return std::nullopt;
    }
    return std::move(address.Problem);
}

}  // namespace tessaly
