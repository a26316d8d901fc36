#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "caldav/caldav_url.h"

namespace tessaly {
namespace {

TEST(CalDAV_Url, EverySpellingOfAnAddressIsNormalisedToOne) {
    const struct {
        const char* Url;
        const char* Normal;
    } cases[] = {
        {"HTTP://Example.ORG:80/a", "http://example.org/a"},
        {"https://h:443", "https://h/"},
        {"https://h:8443/", "https://h:8443/"},
        {"http://h:0080/", "http://h/"},
        {"http://h:443/", "http://h:443/"},
        {"http://h/%7euser/%41b", "http://h/~user/Ab"},
        {"http://h/a%2fb", "http://h/a%2Fb"},
        {"http://h/c/abc%40tessaly.ics", "http://h/c/abc@tessaly.ics"},
        {"http://h/c/a%2b%3A%3d.ics", "http://h/c/a+:=.ics"},
        {"http://h/c/a b.ics", "http://h/c/a%20b.ics"},
        {"http://h/c/a%20b.ics", "http://h/c/a%20b.ics"},
        {"http://h/c/\xC3\xA9.ics", "http://h/c/%C3%A9.ics"},
        {"http://h/c/%c3%a9.ics", "http://h/c/%C3%A9.ics"},
        {"http://h/%zz%4", "http://h/%25zz%254"},
        {"http://h/a/./b/../c", "http://h/a/c"},
        {"http://h/a/%2E%2E/c", "http://h/c"},
        {"http://h/..", "http://h/"},
        {"http://h/a?b=%41%2f+%2B", "http://h/a?b=A%2F+%2B"},
        {"http://h/a#fragment", "http://h/a"},
        {"http://[::A]:8080/x", "http://[::a]:8080/x"},
        {"/c/abc%40x.ics", "/c/abc@x.ics"},
        {"/c/./x/../y", "/c/y"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(Normal_Url(test.Url), test.Normal) << test.Url;
    }
}

TEST(CalDAV_Url, SameUrlTellsOneResourceFromAnother) {
    const struct {
        const char* A;
        const char* B;
        bool Same;
    } cases[] = {
        // An event's URL as written when it was made, and as a server lists it.
        {"https://h/c/abc%40tessaly.ics", "https://H:443/c/abc@tessaly.ics", true},
        {"https://h/c/abc%40tessaly.ics", "https://h/c/abc%40Tessaly.ics", false},
        // A collection, with or without its slash.
        {"http://h/c/", "http://h/c", true},
        {"http://h/c/", "http://h/d/", false},
        {"http://h/c/a.ics", "http://h/c/./b/../a.ics", true},
        {"http://h/c/a b.ics", "http://h/c/a%20b.ics", true},
        {"http://h/a+b", "http://h/a%2Bb", true},
        // A slash escaped is no separator; "+" in a query may stand for a blank.
        {"http://h/c/a%2Fb", "http://h/c/a/b", false},
        {"http://h/x?q=a+b", "http://h/x?q=a%2Bb", false},
        {"http://h/A", "http://h/a", false},
        {"http://h/c", "https://h/c", false},
        {"http://h/c", "http://h:8080/c", false},
        {"http://h/c/a.ics", "/c/a.ics", false},
        {"/c/a%40b.ics", "/c/a@b.ics", true},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(Same_Url(test.A, test.B), test.Same) << test.A << " and " << test.B;
        EXPECT_EQ(Same_Url(test.B, test.A), test.Same) << test.B << " and " << test.A;
    }
}

TEST(CalDAV_Url, TheOriginIsWhatTheCredentialsAreBoundTo) {
    const struct {
        const char* Url;
        const char* Origin;
    } cases[] = {
        {"https://Cal.Example.org:443/dav/", "https://cal.example.org"},
        {"http://127.0.0.1:5232/", "http://127.0.0.1:5232"},
        {"http://localhost:5232/", "http://localhost:5232"},
        {"http://h:/", "http://h"},
        {"https://[::1]:8443/", "https://[::1]:8443"},
        {"HTTPS://H", "https://h"},
        // What could lead a password elsewhere, or be read otherwise by a
        // transport, has none.
        {"http://ann:pw@h/", ""},
        {"http://ann@h/", ""},
        {"http://h\\@evil.example/", ""},
        {"http://evil.example\\.h/", ""},
        {"http://h%2eexample/", ""},
        {"http://h:99999/", ""},
        {"http://h:0/", ""},
        {"http://h:80x/", ""},
        {"http://h:1:2/", ""},
        {"http://[::1/", ""},
        {"http://[fe80::1%25eth0]/", ""},
        {"http:///path", ""},
        {"http:h/path", ""},
        {"ftp://h/", ""},
        {"/relative/", ""},
        {"", ""},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(Url_Origin(test.Url), test.Origin) << test.Url;
    }
}

TEST(CalDAV_Url, HrefsResolveAsTheStandardsExamplesSay) {
    // RFC 3986, 5.4, less the fragments, which are never sent.
    const std::string base = "http://a/b/c/d;p?q";
    const struct {
        const char* Href;
        const char* Url;
    } cases[] = {
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q"},
        {"g?y#s", "http://a/b/c/g?y"},
        {";x", "http://a/b/c/;x"},
        {"g;x?y#s", "http://a/b/c/g;x?y"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"./", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../..", "http://a/"},
        {"../../g", "http://a/g"},
        {"../../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."},
        {".g", "http://a/b/c/.g"},
        {"..g", "http://a/b/c/..g"},
        {"./../g", "http://a/b/g"},
        {"./g/.", "http://a/b/c/g/"},
        {"g/./h", "http://a/b/c/g/h"},
        {"g/../h", "http://a/b/c/h"},
        {"g;x=1/../y", "http://a/b/c/y"},
        {"g?y/../x", "http://a/b/c/g?y/../x"},
        {"http:g", "http:g"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(Resolve_Url(base, test.Href), test.Url) << test.Href;
    }
    // The server's own spelling is kept: it is sent back to it.
    EXPECT_EQ(Resolve_Url("https://H:8443/dav/ann/cal/?x=1", "e%40x.ics"),
              "https://H:8443/dav/ann/cal/e%40x.ics");
    EXPECT_EQ(Resolve_Url("http://h", "p"), "http://h/p");
}

TEST(CalDAV_Url, TypedAddressesAreReadyToUseOrSayWhatIsWrong) {
    const struct {
        const char* Typed;
        const char* Url;      // empty where refused
        const char* Problem;  // a part of the words, where refused
    } cases[] = {
        {"cal.example.org", "https://cal.example.org/", ""},
        {"  Cal.Example.org/dav  ", "https://cal.example.org/dav", ""},
        {"localhost:5232", "https://localhost:5232/", ""},
        {"http://127.0.0.1:5232/", "http://127.0.0.1:5232/", ""},
        {"HTTPS://H/", "https://h/", ""},
        {"http://ann:pw@host/", "", "user name or password"},
        {"ann@host", "", "user name or password"},
        {"https://:pw@host/", "", "user name or password"},
        {"ftp://host/", "", "https:// or http://"},
        {"mailto:ann@example.org", "", "https:// or http://"},
        {"http:/host", "", "not a web address"},
        {"https://host:99999/", "", "name or port"},
        {"https://bad host/", "", "has a space"},
        {"cloud.example.org/remote php", "", "has a space"},
        {"https://h/\tdav", "", "has a space"},
        {"https://", "", "names no server"},
        {"https:///dav", "", "names no server"},
        {"https://:5232/", "", "names no server"},
        {"   ", "", "No address"},
        // Plain HTTP only where no network lies between.
        {"HTTP://LOCALHOST:5232", "http://localhost:5232/", ""},
        {"http://192.168.1.5:5232/", "http://192.168.1.5:5232/", ""},
        {"http://10.1.2.3/", "http://10.1.2.3/", ""},
        {"http://172.16.0.1/", "http://172.16.0.1/", ""},
        {"http://172.31.255.255/", "http://172.31.255.255/", ""},
        {"http://169.254.1.1/", "http://169.254.1.1/", ""},
        {"http://100.64.0.1/", "http://100.64.0.1/", ""},
        {"http://[::1]:5232/", "http://[::1]:5232/", ""},
        {"http://[fd12:3456::1]/", "http://[fd12:3456::1]/", ""},
        {"http://[fe80::1]/", "http://[fe80::1]/", ""},
        {"http://nas:5232/", "http://nas:5232/", ""},
        {"http://nas.local./", "http://nas.local./", ""},
        {"http://radicale.home.arpa/", "http://radicale.home.arpa/", ""},
        {"http://cal.example.org/dav", "", "Type \"https://cal.example.org/dav\""},
        {"http://172.32.0.1/", "", "home network"},
        {"http://172.15.0.1/", "", "home network"},
        {"http://8.8.8.8/", "", "home network"},
        {"http://300.1.1.1/", "", "home network"},
        {"http://192.168.1.5.nip.example.com/", "", "home network"},
        {"http://localhost.example.com/", "", "home network"},
        {"http://nas.local.example.com/", "", "home network"},
        {"http://[2001:db8::1]/", "", "home network"},
        {"http://[fec0::1]/", "", "home network"},
        {"https://8.8.8.8/", "https://8.8.8.8/", ""},
    };
    for (const auto& test : cases) {
        const Server_Address address = Read_Server_Address(test.Typed);
        EXPECT_EQ(address.Url, test.Url) << test.Typed;
        const auto problem = Server_Address_Problem(test.Typed);
        if (*test.Url != '\0') {
            EXPECT_FALSE(problem) << test.Typed << ": " << *problem;
        } else {
            ASSERT_TRUE(problem) << test.Typed;
            EXPECT_NE(problem->find(test.Problem), std::string::npos) << *problem;
        }
    }
}

// Random addresses from the pieces that trip a reader up: the normal form is
// a fixed point, names the same resource, keeps the origin, and escaping an
// unreserved character anywhere in the path changes nothing.
TEST(CalDAV_Url, RandomAddressesKeepTheirIdentityThroughNormalisation) {
    const std::vector<std::string> pieces = {
        "/", ".", "..", "%", "%2f", "%2F", "%41", "%7e", "%40", "@", "a",   "B", "+",
        " ", "?", "#",  "=", ":",   "%zz", "é",   "~",   "-",   ";", "%25", "[", "]"};
    const std::vector<std::string> starts = {
        "http://h", "HTTPS://Cal.Example:443", "http://h:8080", "http://[::1]", "", "/"};
    std::mt19937 random(20240611);
    auto pick = [&random](const std::vector<std::string>& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
    };
    for (int round = 0; round < 20000; ++round) {
        std::string url = pick(starts);
        const int length = std::uniform_int_distribution<int>(0, 12)(random);
        for (int i = 0; i < length; ++i) {
            url += pick(pieces);
        }
        const std::string normal = Normal_Url(url);
        ASSERT_EQ(Normal_Url(normal), normal) << url;
        ASSERT_TRUE(Same_Url(url, normal)) << url;
        ASSERT_EQ(Url_Origin(normal), Url_Origin(url)) << url;
        // Past the authority (a host may be in another script, and one no
        // transport reads alike is left as written), only ASCII, escaped.
        const bool authority_read =
            !Url_Origin(url).empty() ||
            (url.find("://") == std::string::npos && !url.starts_with("//"));
        if (authority_read) {
            const auto origin_length = Url_Origin(normal).size();
            for (const char c : normal.substr(origin_length)) {
                ASSERT_TRUE(c > ' ' && static_cast<unsigned char>(c) < 0x7F)
                    << url << " -> " << normal;
            }
        }

        // Each unreserved character of the path, escaped in either case.
        const bool has_origin = !Url_Origin(url).empty();
        if (!has_origin && !(url.starts_with('/') && !url.starts_with("//"))) {
            continue;
        }
        const auto path_start =
            has_origin ? std::min(url.find_first_of("/?#", url.find("://") + 3), url.size()) : 0;
        const auto path_end = std::min(url.find_first_of("?#", path_start), url.size());
        for (std::size_t at = path_start; at < path_end; ++at) {
            const char c = url[at];
            const bool in_escape =
                (at >= 1 && url[at - 1] == '%') || (at >= 2 && url[at - 2] == '%');
            if ((!std::isalnum(static_cast<unsigned char>(c)) && c != '~' && c != '-') ||
                in_escape) {
                continue;
            }
            static constexpr char Digits[] = "0123456789abcdef";
            const auto byte = static_cast<unsigned char>(c);
            std::string escaped = url.substr(0, at) + "%" + Digits[byte >> 4] + Digits[byte & 0xF];
            escaped += url.substr(at + 1);
            ASSERT_TRUE(Same_Url(url, escaped)) << url << " and " << escaped;
        }
    }
}

}  // namespace
}  // namespace tessaly
