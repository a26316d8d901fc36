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

TEST(CalDAV_Client, ResolvesHrefsAsBrowsersDo) {
    const std::string base = "https://cal.example.org:8443/dav/ann/cal/?x=1";
    EXPECT_EQ(Resolve_Url(base, "/dav/ann/home/"), "https://cal.example.org:8443/dav/ann/home/");
    EXPECT_EQ(Resolve_Url(base, "e.ics"), "https://cal.example.org:8443/dav/ann/cal/e.ics");
    EXPECT_EQ(Resolve_Url(base, "http://other.example.org/x/"), "http://other.example.org/x/");
    EXPECT_EQ(Resolve_Url(base, "//other.example.org/y/"), "https://other.example.org/y/");
    EXPECT_EQ(Resolve_Url("http://h", "/p/"), "http://h/p/");
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
    // An event without its ETag cannot be written back safely.
    server.Reply(207, Multistatus(Found("/c/e.ics", "<C:calendar-data>x</C:calendar-data>")));
    EXPECT_EQ(Failure_Of([&] { client.Read_Events(calendar); }), CalDAV_Failure::Broken_Reply);
    // Changes without the token to ask from next time.
    server.Reply(207, Multistatus(""));
    EXPECT_EQ(Failure_Of([&] { client.Read_Changes(calendar, "t1"); }),
              CalDAV_Failure::Broken_Reply);
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

}  // namespace
}  // namespace tessaly
