#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "caldav/caldav_client.h"

namespace tessaly {
namespace {

// Answers each request with the next scripted reply, and keeps the requests.
class Scripted_Transport : public Http_Transport {
public:
    void Reply(long status, std::string body = {},
               std::vector<std::pair<std::string, std::string>> headers = {}) {
        Http_Response response;
        response.Status = status;
        response.Body = std::move(body);
        response.Headers = std::move(headers);
        replies_.push_back(std::move(response));
    }
    Http_Response Send(const Http_Request& request) override {
        requests.push_back(request);
        if (replies_.empty()) {
            ADD_FAILURE() << "unexpected " << request.Method << " " << request.Url;
            return {};
        }
        Http_Response response = replies_.front();
        replies_.pop_front();
        return response;
    }
    std::vector<Http_Request> requests;

private:
    std::deque<Http_Response> replies_;
};

std::string Multistatus(const std::string& responses) {
    return "<multistatus xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">" + responses +
           "</multistatus>";
}

std::string Found(const std::string& href, const std::string& properties) {
    return "<response><href>" + href + "</href><propstat><prop>" + properties +
           "</prop><status>HTTP/1.1 200 OK</status></propstat></response>";
}

CalDAV_Failure Failure_Of(const std::function<void()>& action) {
    try {
        action();
    } catch (const CalDAV_Error& error) {
        return error.Failure();
    }
    ADD_FAILURE() << "no error";
    return CalDAV_Failure::Unexpected_Status;
}

TEST(CalDAV_Client, DiscoveryFollowsTheWellKnownAddressToTheHome) {
    Scripted_Transport server;
    server.Reply(301, {}, {{"location", "/dav/"}});
    server.Reply(207, Multistatus(Found("/dav/",
                                        "<current-user-principal><href>/dav/p/ann/"
                                        "</href></current-user-principal>")));
    server.Reply(207, Multistatus(Found("/dav/p/ann/",
                                        "<C:calendar-home-set><href>/dav/c/ann"
                                        "</href></C:calendar-home-set>")));
    CalDAV_Client client(server);
    EXPECT_EQ(client.Find_Calendar_Home("cal.example.org"), "https://cal.example.org/dav/c/ann/");
    ASSERT_EQ(server.requests.size(), 3U);
    EXPECT_EQ(server.requests[0].Url, "https://cal.example.org/.well-known/caldav");
    EXPECT_EQ(server.requests[1].Url, "https://cal.example.org/dav/");
    EXPECT_EQ(server.requests[1].Method, "PROPFIND");
    EXPECT_EQ(server.requests[2].Url, "https://cal.example.org/dav/p/ann/");
    EXPECT_EQ(client.Requests_Sent(), 3);
}

TEST(CalDAV_Client, DiscoveryTriesTheGivenPathFirstAndFallsBackToTheHost) {
    Scripted_Transport server;
    server.Reply(404);
    server.Reply(207, Multistatus(Found("/",
                                        "<current-user-principal><href>/u/"
                                        "</href></current-user-principal>")));
    server.Reply(207, Multistatus(Found("/u/",
                                        "<C:calendar-home-set><href>/u/</href>"
                                        "</C:calendar-home-set>")));
    CalDAV_Client client(server);
    EXPECT_EQ(client.Find_Calendar_Home("http://h:5232/wrong/path"), "http://h:5232/u/");
    EXPECT_EQ(server.requests[0].Url, "http://h:5232/wrong/path");
    EXPECT_EQ(server.requests[1].Url, "http://h:5232/.well-known/caldav");
}

TEST(CalDAV_Client, DiscoveryReportsWhatStoppedIt) {
    {
        Scripted_Transport server;
        server.Reply(401);
        CalDAV_Client client(server);
        EXPECT_EQ(Failure_Of([&] { client.Find_Calendar_Home("http://h/"); }),
                  CalDAV_Failure::Unauthorized);
    }
    {
        // A web site, not a calendar server.
        Scripted_Transport server;
        server.Reply(404);
        server.Reply(200, "<html/>");
        server.Reply(200, "<html/>");
        CalDAV_Client client(server);
        EXPECT_EQ(Failure_Of([&] { client.Find_Calendar_Home("http://h/"); }),
                  CalDAV_Failure::No_Calendar_Service);
    }
    {
        Scripted_Transport server;
        for (int i = 0; i < 6; ++i) {
            server.Reply(302, {}, {{"location", "/loop/"}});
        }
        CalDAV_Client client(server);
        EXPECT_EQ(Failure_Of([&] { client.Find_Calendar_Home("http://h/"); }),
                  CalDAV_Failure::Unexpected_Status);
        EXPECT_EQ(server.requests.size(), 6U);
    }
}

TEST(CalDAV_Client, StatusesBecomeFailuresTheSyncCanTellApart) {
    Scripted_Transport server;
    CalDAV_Client client(server);
    const std::string calendar = "http://h/c/";
    server.Reply(503);
    EXPECT_EQ(Failure_Of([&] { client.Read_Events(calendar); }), CalDAV_Failure::Server_Error);
    server.Reply(404);
    EXPECT_EQ(Failure_Of([&] { client.Read_Calendar(calendar); }), CalDAV_Failure::Not_Found);
    server.Reply(207, "<html>not xml");
    EXPECT_EQ(Failure_Of([&] { client.Read_Events(calendar); }), CalDAV_Failure::Broken_Reply);
    server.Reply(412);
    EXPECT_EQ(Failure_Of([&] { client.Put_Event(calendar + "e.ics", "x", "\"1\""); }),
              CalDAV_Failure::Precondition_Failed);
    server.Reply(403);
    EXPECT_EQ(Failure_Of([&] { client.Delete_Event(calendar + "e.ics", "\"1\""); }),
              CalDAV_Failure::Forbidden);
    server.Reply(302, {}, {{"location", "/elsewhere/"}});
    EXPECT_EQ(Failure_Of([&] { client.Delete_Event(calendar + "e.ics", "\"1\""); }),
              CalDAV_Failure::Unexpected_Status);
    // A reply that is no multistatus at all.
    server.Reply(207, "<html xmlns=\"DAV:\"/>");
    EXPECT_EQ(Failure_Of([&] { client.Read_Events(calendar); }), CalDAV_Failure::Broken_Reply);
    // Changes without the token to ask from next time.
    server.Reply(207, Multistatus(""));
    EXPECT_EQ(Failure_Of([&] { client.Read_Changes(calendar, "t1"); }),
              CalDAV_Failure::Broken_Reply);
}

TEST(CalDAV_Client, ACalendarTakesTheNextAddressWhereEachServerSaysTheFirstIsTaken) {
    const std::string taken_error = "<error xmlns=\"DAV:\"><resource-must-be-null/></error>";
    const std::string taken_in_multistatus = Multistatus(
        "<response><href>/home/tessaly/</href><status>HTTP/1.1 403 Forbidden</status>"
        "<error><resource-must-be-null/></error></response>");
    const struct {
        const char* Name;
        long Status;
        std::string Body;
        bool Asks_Whether_There = false;  // a 409 may mean the home is missing
    } cases[] = {
        {"MethodNotAllowed", 405, ""},
        {"ConflictWithSomethingThere", 409, taken_error, true},
        {"ForbiddenAsNotNull", 403, taken_error},
        {"MultistatusAsNotNull", 207, taken_in_multistatus},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Scripted_Transport server;
        CalDAV_Client client(server);
        server.Reply(c.Status, c.Body);
        if (c.Asks_Whether_There) {
            server.Reply(207, Multistatus(Found("/home/tessaly/", "")));
        }
        server.Reply(201);
        server.Reply(207, Multistatus(Found("/home/tessaly-2/",
                                            "<resourcetype><collection/><C:calendar/>"
                                            "</resourcetype><displayname>Tessaly</displayname>")));
        EXPECT_EQ(client.Make_Calendar("http://h/home/", "Tessaly").Url,
                  "http://h/home/tessaly-2/");
        EXPECT_EQ(server.requests.back().Url, "http://h/home/tessaly-2/");
    }
    // Refused for another reason: no other address is tried.
    Scripted_Transport server;
    CalDAV_Client client(server);
    server.Reply(403, "<error xmlns=\"DAV:\"><need-privileges/></error>");
    EXPECT_EQ(Failure_Of([&] { client.Make_Calendar("http://h/home/", "Tessaly"); }),
              CalDAV_Failure::Forbidden);
    EXPECT_EQ(server.requests.size(), 1U);
}

TEST(CalDAV_Client, WritesOnlyUnderTheETagTheyWereReadWith) {
    Scripted_Transport server;
    CalDAV_Client client(server);
    server.Reply(201, {}, {{"etag", "\"n1\""}});
    EXPECT_EQ(client.Put_Event("http://h/c/e.ics", "DATA", std::nullopt), "\"n1\"");
    server.Reply(204);
    EXPECT_EQ(client.Put_Event("http://h/c/e.ics", "DATA", "\"n1\""), "");
    server.Reply(204);
    client.Delete_Event("http://h/c/e.ics", "\"n2\"");

    ASSERT_EQ(server.requests.size(), 3U);
    using Headers = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(server.requests[0].Headers,
              (Headers{{"Content-Type", "text/calendar; charset=utf-8"}, {"If-None-Match", "*"}}));
    EXPECT_EQ(server.requests[0].Body, "DATA");
    EXPECT_EQ(server.requests[1].Headers,
              (Headers{{"Content-Type", "text/calendar; charset=utf-8"}, {"If-Match", "\"n1\""}}));
    EXPECT_EQ(server.requests[2].Method, "DELETE");
    EXPECT_EQ(server.requests[2].Headers, (Headers{{"If-Match", "\"n2\""}}));
}

TEST(CalDAV_Client, ReadsEventsAndChangesWithoutTheCollectionItself) {
    Scripted_Transport server;
    CalDAV_Client client(server);
    server.Reply(207, Multistatus(Found("/c/", "<getetag>\"col\"</getetag>") +
                                  Found("/c/a.ics",
                                        "<getetag>\"a\"</getetag>"
                                        "<C:calendar-data>A</C:calendar-data>")));
    const auto events = client.Read_Events("http://h/c/");
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].Url, "http://h/c/a.ics");
    EXPECT_EQ(events[0].Etag, "\"a\"");
    EXPECT_EQ(events[0].Data, "A");

    server.Reply(207, Multistatus(Found("/c/b.ics", "<getetag>\"b2\"</getetag>") +
                                  "<response><href>/c/gone.ics</href><status>HTTP/1.1 404 Not Found"
                                  "</status></response><sync-token>t2</sync-token>"));
    const CalDAV_Changes changes = client.Read_Changes("http://h/c/", "t1");
    ASSERT_EQ(changes.Changed.size(), 1U);
    EXPECT_EQ(changes.Changed[0].Url, "http://h/c/b.ics");
    EXPECT_EQ(changes.Changed[0].Etag, "\"b2\"");
    EXPECT_EQ(changes.Removed, (std::vector<std::string>{"http://h/c/gone.ics"}));
    EXPECT_EQ(changes.Sync_Token, "t2");
    EXPECT_NE(server.requests[1].Body.find("<d:sync-token>t1</d:sync-token>"), std::string::npos);

    // No URLs, no request.
    EXPECT_TRUE(client.Read_Events("http://h/c/", std::vector<std::string>{}).empty());
    EXPECT_EQ(client.Requests_Sent(), 2);
}

TEST(CalDAV_Client, NoAddressAtAnotherOriginIsEverSentTo) {
    using Script = std::function<void(Scripted_Transport&)>;
    using Action = std::function<void(CalDAV_Client&)>;
    const auto principal = [](const std::string& href) {
        return Multistatus(Found(
            "/", "<current-user-principal><href>" + href + "</href></current-user-principal>"));
    };
    const auto event = [](const std::string& href) {
        return Multistatus(Found(href, "<getetag>\"1\"</getetag>"));
    };
    const struct {
        const char* Name;
        const char* Account;
        Script Replies;
        Action Act;
        std::size_t Requests;  // all at the account's origin
    } cases[] = {
        {"redirect to another port", "http://h/",
         [](auto& s) {
             s.Reply(301, {}, {{"location", "http://h:8080/dav/"}});
         },
         [](auto& c) { c.Find_Calendar_Home("http://h/"); }, 1},
        {"redirect to http", "https://h/",
         [](auto& s) {
             s.Reply(302, {}, {{"location", "http://h/dav/"}});
         },
         [](auto& c) { c.Find_Calendar_Home("https://h/"); }, 1},
        {"redirect to https", "http://h/",
         [](auto& s) {
             s.Reply(307, {}, {{"location", "https://h/dav/"}});
         },
         [](auto& c) { c.Find_Calendar_Home("http://h/"); }, 1},
        {"redirect to localhost", "http://127.0.0.1:5232/",
         [](auto& s) {
             s.Reply(308, {}, {{"location", "http://localhost:5232/"}});
         },
         [](auto& c) { c.Find_Calendar_Home("http://127.0.0.1:5232/"); }, 1},
        {"redirect with a user name", "http://h/",
         [](auto& s) {
             s.Reply(301, {}, {{"location", "http://ann:pw@h/dav/"}});
         },
         [](auto& c) { c.Find_Calendar_Home("http://h/"); }, 1},
        {"principal elsewhere", "https://h/",
         [&](auto& s) { s.Reply(207, principal("https://evil.example/p/")); },
         [](auto& c) { c.Find_Calendar_Home("https://h/"); }, 1},
        {"home elsewhere", "https://h/",
         [&](auto& s) {
             s.Reply(207, principal("/p/"));
             s.Reply(207, Multistatus(Found("/p/",
                                            "<C:calendar-home-set><href>//evil.example/"
                                            "</href></C:calendar-home-set>")));
         },
         [](auto& c) { c.Find_Calendar_Home("https://h/"); }, 2},
        {"a calendar elsewhere", "https://h/",
         [](auto& s) {
             s.Reply(207, Multistatus(Found("https://h:444/c/",
                                            "<resourcetype><C:calendar/></resourcetype>")));
         },
         [](auto& c) { c.List_Calendars("https://h/home/"); }, 1},
        {"an event elsewhere", "https://h/",
         [&](auto& s) { s.Reply(207, event("http://h/c/e.ics")); },
         [](auto& c) { c.Read_Events("https://h/c/"); }, 1},
        {"a change elsewhere", "https://h/",
         [&](auto& s) {
             s.Reply(207,
                     Multistatus(Found("https://evil.example/e.ics", "<getetag>\"1\"</getetag>") +
                                 "<sync-token>t2</sync-token>"));
         },
         [](auto& c) { c.Read_Changes("https://h/c/", "t"); }, 1},
        {"a calendar given at another server", "https://h/", [](auto&) {},
         [](auto& c) { c.Read_Calendar("https://evil.example/c/"); }, 0},
        {"an event given at another server", "https://h/", [](auto&) {},
         [](auto& c) { c.Put_Event("https://h.evil.example/c/e.ics", "x", std::nullopt); }, 0},
        {"an event to fetch at another server", "https://h/", [](auto&) {},
         [](auto& c) {
             c.Read_Events("https://h/c/", std::vector<std::string>{"https://evil.example/c/e"});
         },
         0},
        {"home typed at another server", "https://h/", [](auto&) {},
         [](auto& c) { c.Find_Calendar_Home("https://h:8443/"); }, 0},
    };
    for (const auto& test : cases) {
        Scripted_Transport server;
        test.Replies(server);
        CalDAV_Client client(server, test.Account);
        try {
            test.Act(client);
            ADD_FAILURE() << test.Name << ": no error";
        } catch (const CalDAV_Error& error) {
            EXPECT_EQ(error.Failure(), CalDAV_Failure::Foreign_Origin)
                << test.Name << ": " << error.what();
            EXPECT_NE(std::string(error.what()).find(Url_Origin(test.Account)), std::string::npos)
                << error.what();
        }
        EXPECT_EQ(server.requests.size(), test.Requests) << test.Name;
        for (const auto& request : server.requests) {
            EXPECT_EQ(Url_Origin(request.Url), Url_Origin(test.Account)) << test.Name;
        }
    }

    // The same origin spelt otherwise is followed; without the account's
    // address, the first one given is the account's.
    Scripted_Transport server;
    server.Reply(301, {}, {{"location", "HTTPS://H:443/dav/"}});
    server.Reply(207, principal("/p/"));
    server.Reply(207, Multistatus(Found("/p/",
                                        "<C:calendar-home-set><href>/home/</href>"
                                        "</C:calendar-home-set>")));
    CalDAV_Client client(server);
    EXPECT_EQ(client.Find_Calendar_Home("h"), "HTTPS://H:443/home/");
    EXPECT_EQ(Failure_Of([&] { client.Read_Calendar("http://h/c/"); }),
              CalDAV_Failure::Foreign_Origin);
}

TEST(CalDAV_Client, AnAddressWithAUserNameIsRefusedBeforeAnythingIsSent) {
    for (const char* address : {"http://ann:pw@h/", "ann@h", "ftp://h/"}) {
        Scripted_Transport server;
        CalDAV_Client given(server, address);
        EXPECT_EQ(Failure_Of([&] { given.Find_Calendar_Home("http://h/"); }),
                  CalDAV_Failure::Unreachable);
        CalDAV_Client typed(server);
        EXPECT_EQ(Failure_Of([&] { typed.Find_Calendar_Home(address); }),
                  CalDAV_Failure::Unreachable);
        EXPECT_TRUE(server.requests.empty()) << address;
    }
}

TEST(CalDAV_Client, AnEventTheServerCannotGiveDoesNotStopTheOthers) {
    const std::string items =
        Found("/c/", "<getetag>\"col\"</getetag>") +
        Found("/c/ok.ics", "<getetag>\"1\"</getetag><C:calendar-data>A</C:calendar-data>") +
        "<response><href>/c/failed.ics</href><status>HTTP/1.1 500 Internal Server Error"
        "</status></response>" +
        Found("/c/no-etag.ics", "<C:calendar-data>B</C:calendar-data>") +
        Found("/c/no-data.ics", "<getetag>\"2\"</getetag>") +
        "<response><href>/c/gone.ics</href><status>HTTP/1.1 404 Not Found</status></response>";
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"http://h/c/ok.ics", ""},
        {"http://h/c/failed.ics", "the server could not give this event: 500"},
        {"http://h/c/no-etag.ics", "the server sent this event without its ETag"},
        {"http://h/c/no-data.ics", "the server sent this event without its data"},
    };
    Scripted_Transport server;
    CalDAV_Client client(server);
    server.Reply(207, Multistatus(items));
    server.Reply(207, Multistatus(items));
    for (const auto& events :
         {client.Read_Events("http://h/c/"),
          client.Read_Events("http://h/c/", std::vector<std::string>{"http://h/c/ok.ics"})}) {
        ASSERT_EQ(events.size(), expected.size());
        for (std::size_t i = 0; i < events.size(); ++i) {
            EXPECT_EQ(events[i].Url, expected[i].first);
            EXPECT_EQ(events[i].Problem, expected[i].second) << events[i].Url;
        }
        EXPECT_EQ(events[0].Data, "A");
        EXPECT_EQ(events[0].Etag, "\"1\"");
    }
    // Only ETags asked for: an event without its data is fine then.
    server.Reply(207, Multistatus(items));
    const auto etags = client.Read_Events("http://h/c/", false);
    ASSERT_EQ(etags.size(), 4U);
    EXPECT_EQ(etags[3].Problem, "");
}

TEST(CalDAV_Client, ContactsAreReadAsEventsAreWithinTheAccountsOrigin) {
    Scripted_Transport transport;
    CalDAV_Client client(transport, "https://dav.example/");
    const std::string book = "https://dav.example/ann/books/friends/";
    // A foreign contact URL is refused before anything is sent.
    EXPECT_EQ(Failure_Of([&] { client.Read_Contacts(book, {"https://evil.example/a.vcf"}); }),
              CalDAV_Failure::Foreign_Origin);
    EXPECT_TRUE(transport.requests.empty());

    const std::string card =
        "<CR:address-data xmlns:CR=\"urn:ietf:params:xml:ns:carddav\">"
        "BEGIN:VCARD\nEND:VCARD\n</CR:address-data>";
    transport.Reply(
        207, Multistatus("<response><href>/ann/books/friends/bad.vcf</href>"
                         "<status>HTTP/1.1 500 Oops</status></response>" +
                         Found("/ann/books/friends/a.vcf", "<getetag>\"1\"</getetag>" + card) +
                         Found("/ann/books/friends/b.vcf", "<getetag>\"2\"</getetag>")));
    const auto contacts = client.Read_Contacts(
        book, {book + "a.vcf", book + "b.vcf", "https://dav.example/ann/books/friends/bad.vcf"});
    ASSERT_EQ(transport.requests.size(), 1U);
    EXPECT_EQ(transport.requests[0].Method, "REPORT");
    EXPECT_NE(transport.requests[0].Body.find("<d:href>/ann/books/friends/a.vcf</d:href>"),
              std::string::npos);
    ASSERT_EQ(contacts.size(), 3U);
    EXPECT_EQ(contacts[0].Problem, "the server could not give this contact: 500");
    EXPECT_EQ(contacts[1].Data, "BEGIN:VCARD\nEND:VCARD\n");
    EXPECT_EQ(contacts[1].Url, book + "a.vcf");
    EXPECT_EQ(contacts[2].Problem, "the server sent this contact without its data");

    // The listing leaves out the book itself and a collection inside it;
    // a member at another origin stops it.
    transport.Reply(
        207,
        Multistatus(Found("/ann/books/friends/", "<resourcetype><collection/></resourcetype>") +
                    Found("/ann/books/friends/sub/", "<resourcetype><collection/></resourcetype>") +
                    Found("/ann/books/friends/a.vcf", "<getetag>\"1\"</getetag>")));
    const auto listed = client.Read_Address_Book(book);
    ASSERT_EQ(listed.size(), 1U);
    EXPECT_EQ(listed[0].Etag, "\"1\"");
    transport.Reply(207, Multistatus(Found("https://evil.example/a.vcf", "<getetag>1</getetag>")));
    EXPECT_EQ(Failure_Of([&] { client.Read_Address_Book(book); }), CalDAV_Failure::Foreign_Origin);

    // A server with calendars only.
    transport.Reply(404);
    transport.Reply(207, Multistatus(Found("/",
                                           "<current-user-principal><href>/ann/</href>"
                                           "</current-user-principal>")));
    transport.Reply(207, Multistatus(Found("/ann/",
                                           "<C:calendar-home-set><href>/ann/cal/</href>"
                                           "</C:calendar-home-set>")));
    EXPECT_EQ(Failure_Of([&] { client.Find_Address_Book_Home("https://dav.example/"); }),
              CalDAV_Failure::No_Calendar_Service);
    EXPECT_EQ(transport.requests.back().Url, "https://dav.example/ann/");
    EXPECT_NE(transport.requests.back().Body.find("addressbook-home-set"), std::string::npos);
}

}  // namespace
}  // namespace tessaly
