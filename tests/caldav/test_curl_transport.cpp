#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "caldav/caldav_client.h"
#include "caldav/curl_transport.h"
#include "test_support/scripted_calendar_server.h"

namespace tessaly {
namespace {

// The error an action throws; a failed test where it throws none.
CalDAV_Error Error_Of(const std::function<void()>& action) {
    try {
        action();
    } catch (const CalDAV_Error& error) {
        return error;
    }
    ADD_FAILURE() << "no error";
    return CalDAV_Error(CalDAV_Failure::Unexpected_Status, 0, "none");
}

Http_Transport_Options Account_Options(const std::string& origin) {
    Http_Transport_Options options;
    options.User = "ann";
    options.Password = "s3cret";
    options.Origin = origin;
    options.Timeout = std::chrono::seconds(20);
    return options;
}

Http_Request Get(const std::string& url) {
    Http_Request request;
    request.Method = "GET";
    request.Url = url;
    return request;
}

class Curl_Transport_Test : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Start()) << server_.Failure(); }

    // The log lines of requests that reached the other origin or carried
    // credentials anywhere but at the main one.
    std::vector<std::string> Leaks() const {
        std::vector<std::string> leaks;
        for (const auto& line : server_.Requests()) {
            if (line.starts_with("other ")) {
                leaks.push_back(line);
            }
        }
        return leaks;
    }

    test::Scripted_Calendar_Server server_;
};

TEST_F(Curl_Transport_Test, CredentialsGoOnlyWithRequestsToTheAccountsOrigin) {
    const std::string port = std::to_string(server_.Port());
    const struct {
        std::string Origin;  // of the account; empty: the first request's
        std::vector<std::string> Urls;
        std::vector<std::string> Logged;
    } cases[] = {
        {server_.Url("/dav/"),
         {server_.Url("/a"), server_.Other_Url("/b"), "HTTP://127.0.0.1:" + port + "/c",
          "http://localhost:" + port + "/d", "http://127.0.0.1:0" + port + "/e"},
         {"main GET /a auth", "other GET /b none", "main GET /c auth", "main GET /d none",
          "main GET /e auth"}},
        {"",
         {server_.Other_Url("/f"), server_.Url("/g")},
         {"other GET /f auth", "main GET /g none"}},
    };
    std::size_t seen = 0;
    for (const auto& test : cases) {
        Curl_Transport transport(Account_Options(test.Origin));
        for (const auto& url : test.Urls) {
            transport.Send(Get(url));
        }
        const auto logged = server_.Requests();
        ASSERT_GE(logged.size(), seen + test.Logged.size());
        EXPECT_EQ(std::vector<std::string>(logged.begin() + static_cast<long>(seen), logged.end()),
                  test.Logged);
        seen = logged.size();
    }
    // An address with a user name is not sent at all.
    Curl_Transport transport(Account_Options(server_.Url()));
    EXPECT_EQ(
        Error_Of([&] { transport.Send(Get("http://x:y@127.0.0.1:" + port + "/g")); }).Failure(),
        CalDAV_Failure::Foreign_Origin);
    EXPECT_EQ(server_.Requests().size(), seen);
}

TEST_F(Curl_Transport_Test, DiscoveryStopsAtEveryAddressAtAnotherOrigin) {
    const struct {
        const char* Path;
        const char* Named;  // in the message, beside the account's origin
    } foreign[] = {
        {"/redirect/port/", "http://127.0.0.1:"},     {"/redirect/localhost/", "http://localhost:"},
        {"/redirect/scheme/", "https://127.0.0.1:"},  {"/redirect/userinfo/", "ann:pw@"},
        {"/principal/foreign/", "http://127.0.0.1:"}, {"/home/foreign/", "http://127.0.0.1:"},
    };
    for (const auto& test : foreign) {
        Curl_Transport transport(Account_Options(server_.Url(test.Path)));
        CalDAV_Client client(transport, server_.Url(test.Path));
        const CalDAV_Error error =
            Error_Of([&] { client.Find_Calendar_Home(server_.Url(test.Path)); });
        EXPECT_EQ(error.Failure(), CalDAV_Failure::Foreign_Origin) << test.Path << error.what();
        const std::string message = error.what();
        EXPECT_NE(message.find(server_.Url("")), std::string::npos) << message;
        EXPECT_NE(message.find(test.Named), std::string::npos) << message;
    }
    EXPECT_EQ(Leaks(), std::vector<std::string>{});
    for (const auto& line : server_.Requests()) {
        EXPECT_TRUE(line.ends_with(" auth")) << line;
    }

    // The same origin spelt otherwise, or a path on it, is followed.
    for (const char* path : {"/redirect/same/", "/redirect/same-spelt-otherwise/"}) {
        Curl_Transport transport(Account_Options(server_.Url(path)));
        CalDAV_Client client(transport);
        EXPECT_TRUE(
            Same_Url(client.Find_Calendar_Home(server_.Url(path)), server_.Url("/dav/home/")))
            << path;
    }
    EXPECT_EQ(Leaks(), std::vector<std::string>{});
}

TEST_F(Curl_Transport_Test, AReplyPastTheBoundIsCutShortWhateverItsShape) {
    const struct {
        const char* Path;
        const char* Words;
    } cases[] = {
        {"/gzip-bomb/", "larger than 32 MiB"},
        {"/huge/", "larger than 32 MiB"},
        {"/huge-unsized/", "larger than 32 MiB"},
        {"/huge-headers/", "KiB of headers"},
    };
    for (const auto& test : cases) {
        Curl_Transport transport(Account_Options(server_.Url()));
        const CalDAV_Error error = Error_Of([&] { transport.Send(Get(server_.Url(test.Path))); });
        EXPECT_EQ(error.Failure(), CalDAV_Failure::Broken_Reply) << test.Path;
        EXPECT_NE(std::string(error.what()).find(test.Words), std::string::npos) << error.what();
        // The connection cut is no harm to the next request.
        EXPECT_EQ(transport.Send(Get(server_.Url("/dav/"))).Status, 207) << test.Path;
    }
}

TEST_F(Curl_Transport_Test, ABigCalendarIsReadWholeButNotAReplyOfEmptyElements) {
    Curl_Transport transport(Account_Options(server_.Url()));
    CalDAV_Client client(transport);
    const auto events = client.Read_Events(server_.Url("/calendar/large/"));
    ASSERT_EQ(events.size(), 10000U);
    EXPECT_TRUE(std::all_of(events.begin(), events.end(), [](const CalDAV_Event& event) {
        return event.Problem.empty() && event.Data.size() > 1900;
    }));
    const CalDAV_Error error =
        Error_Of([&] { client.Read_Events(server_.Url("/calendar/elements/")); });
    EXPECT_EQ(error.Failure(), CalDAV_Failure::Broken_Reply);
    EXPECT_NE(std::string(error.what()).find("too many elements"), std::string::npos);
}

TEST_F(Curl_Transport_Test, AnEventTheServerCannotGiveIsToldApartFromTheRest) {
    Curl_Transport transport(Account_Options(server_.Url()));
    CalDAV_Client client(transport);
    const std::string calendar = server_.Url("/calendar/problems/");
    const auto events = client.Read_Events(calendar);
    ASSERT_EQ(events.size(), 3U);
    EXPECT_EQ(events[0].Url, calendar + "a.ics");
    EXPECT_EQ(events[0].Problem, "");
    EXPECT_NE(events[0].Data.find("UID:a"), std::string::npos);
    EXPECT_EQ(events[1].Url, calendar + "b.ics");
    EXPECT_EQ(events[1].Problem, "the server could not give this event: 500");
    EXPECT_EQ(events[2].Url, calendar + "c.ics");
    EXPECT_NE(events[2].Problem.find("ETag"), std::string::npos);

    EXPECT_EQ(
        Error_Of([&] { client.Read_Events(server_.Url("/calendar/foreign-event/")); }).Failure(),
        CalDAV_Failure::Foreign_Origin);
}

// The tests below serve https with a certificate of their own.
class Curl_Certificate_Test : public ::testing::Test {
protected:
    void SetUp() override {
        own_ = test::Make_Test_Certificate(folder_, "own", "nas.home");
        other_ = test::Make_Test_Certificate(folder_, "other", "nas.home");
        if (own_.Fingerprint.empty() || other_.Fingerprint.empty()) {
            GTEST_SKIP() << "the openssl tool could not make a certificate";
        }
        ASSERT_NE(own_.Fingerprint, other_.Fingerprint);
        ASSERT_TRUE(server_.Start(own_.Certificate_File, own_.Key_File)) << server_.Failure();
    }

    test::Temp_Dir folder_;
    test::Test_Certificate own_;
    test::Test_Certificate other_;
    test::Scripted_Calendar_Server server_;
};

TEST_F(Curl_Certificate_Test, ACertificateTheSystemDoesNotTrustIsTakenOnlyByItsFingerprint) {
    std::string lower_plain = own_.Fingerprint;
    lower_plain.erase(std::remove(lower_plain.begin(), lower_plain.end(), ':'), lower_plain.end());
    std::transform(lower_plain.begin(), lower_plain.end(), lower_plain.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const struct {
        std::string Trusted;
        bool Taken;
    } cases[] = {
        {"", false},
        {other_.Fingerprint, false},
        // Its name (nas.home) is not the address's: the fingerprint is enough.
        {own_.Fingerprint, true},
        {lower_plain, true},
    };
    for (const auto& test : cases) {
        const auto before = server_.Requests();
        Http_Transport_Options options = Account_Options(server_.Url());
        options.Trusted_Certificate = test.Trusted;
        Curl_Transport transport(options);
        CalDAV_Client client(transport, server_.Url());
        if (test.Taken) {
            EXPECT_EQ(client.Find_Calendar_Home(server_.Url("/dav/")), server_.Url("/dav/home/"));
            EXPECT_TRUE(server_.Requests().back().ends_with(" auth"));
            continue;
        }
        const CalDAV_Error error =
            Error_Of([&] { client.Find_Calendar_Home(server_.Url("/dav/")); });
        EXPECT_EQ(error.Failure(), CalDAV_Failure::Untrusted_Certificate) << error.what();
        // The one the server showed, to be compared with the server's own.
        EXPECT_EQ(error.Certificate_Fingerprint(), own_.Fingerprint);
        EXPECT_NE(std::string(error.what()).find(own_.Fingerprint), std::string::npos);
        // No request, so no password, reached the server.
        for (std::size_t at = before.size(); at < server_.Requests().size(); ++at) {
            EXPECT_EQ(server_.Requests()[at], "main dropped");
        }
    }

    Http_Transport_Options options = Account_Options(server_.Url());
    options.Trusted_Certificate = "AB:CD";
    EXPECT_EQ(Error_Of([&] { Curl_Transport transport(options); }).Failure(),
              CalDAV_Failure::Untrusted_Certificate);
}

}  // namespace
}  // namespace tessaly
