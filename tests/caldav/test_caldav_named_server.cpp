// Against a calendar server that the environment names, for builds where a
// test cannot start one itself (under Wine, scripts/wine-tests.sh starts
// Radicale on the Linux side):
//   TESSALY_TEST_CALDAV_URL, _USER, _PASSWORD  the server and its account
//   TESSALY_TEST_CALDAV_UNUSED_URL             a port nothing listens on
//   TESSALY_TEST_CALDAV_SILENT_URL             a port that never answers
// The server is shared by every test: each makes a calendar of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "caldav/http_transport.h"
#include "sync/event_resource.h"
#include "sync/sync_run.h"
#include "test_support/sample_entries.h"

namespace tessaly {
namespace {

const auto Stamp = std::chrono::sys_seconds{std::chrono::hours{24 * 20795}};

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
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

// Sends each request through, and keeps its method.
class Counting_Transport : public Http_Transport {
public:
    explicit Counting_Transport(Http_Transport& inner) : inner_(inner) {}
    Http_Response Send(const Http_Request& request) override {
        methods.push_back(request.Method);
        return inner_.Send(request);
    }
    std::vector<std::string> methods;

private:
    Http_Transport& inner_;
};

std::vector<std::string> Contents(const std::vector<TName_And_Event_Data>& list) {
    std::vector<std::string> contents;
    for (const auto& entry : list) {
        contents.push_back(Entry_Event_Content(entry));
    }
    std::sort(contents.begin(), contents.end());
    return contents;
}

class CalDAV_Named_Server : public ::testing::Test {
protected:
    void SetUp() override {
        url_ = Environment("TESSALY_TEST_CALDAV_URL");
        user_ = Environment("TESSALY_TEST_CALDAV_USER");
        password_ = Environment("TESSALY_TEST_CALDAV_PASSWORD");
        if (url_.empty() || user_.empty()) {
            GTEST_SKIP() << "TESSALY_TEST_CALDAV_URL and _USER name no calendar server "
                            "(scripts/wine-tests.sh starts one for the Windows build)";
        }
        if (url_.back() != '/') {
            url_ += '/';
        }
    }

    Http_Transport_Options Options(std::string password) const {
        Http_Transport_Options options;
        options.User = user_;
        options.Password = std::move(password);
        options.Timeout = std::chrono::seconds(20);
        return options;
    }
    Http_Transport_Options Options() const { return Options(password_); }

    std::string url_;
    std::string user_;
    std::string password_;
};

TEST_F(CalDAV_Named_Server, FindsTheHomeAndMakesACalendarWithAnyName) {
    const auto transport = Make_Http_Transport(Options());
    CalDAV_Client client(*transport);
    const std::string home = client.Find_Calendar_Home(url_);
    EXPECT_EQ(home, url_ + user_ + "/");

    const std::string name = "Tessaly Zo\xC3\xAB & <\xE6\x97\xA5\xE6\x9C\xAC>";
    const CalDAV_Calendar made = client.Make_Calendar(home, name);
    EXPECT_EQ(made.Display_Name, name);
    EXPECT_TRUE(made.Takes_Events);
    EXPECT_FALSE(made.Sync_Token.empty());
    const auto calendars = client.List_Calendars(home);
    const auto listed = std::find_if(calendars.begin(), calendars.end(), [&](const auto& calendar) {
        return calendar.Url == made.Url;
    });
    ASSERT_NE(listed, calendars.end());
    EXPECT_EQ(listed->Display_Name, name);
}

TEST_F(CalDAV_Named_Server, RedirectsComeBackWithTheirHeadersInLowerCase) {
    const auto transport = Make_Http_Transport(Options());
    const Http_Response response =
        transport->Send({"PROPFIND", url_ + ".well-known/caldav", {{"Depth", "0"}}, {}});
    EXPECT_GE(response.Status, 300);
    EXPECT_LT(response.Status, 400);
    EXPECT_FALSE(response.Header("location").empty());
}

TEST_F(CalDAV_Named_Server, AFirstSyncSendsTheListAndANoChangeSyncWritesNothing) {
    const auto inner = Make_Http_Transport(Options());
    Counting_Transport transport(*inner);
    CalDAV_Client client(transport);
    const std::string calendar =
        client.Make_Calendar(client.Find_Calendar_Home(url_), "Tessaly sync").Url;
    const Event_List list = test::List_Of({
        {"Zo\xC3\xAB \xC3\x86r\xC3\xB8sk\xC3\xB8"
         "bing \xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x8E\x82",
         1984, 5, 17, "Birthday", "\"quoted\", semi; back\\slash colon: end\nsecond line"},
        {"Leap Lena", 2000, 2, 29, "Birthday", ""},
        {"Bo", 1990, 12, 31, "Wedding", ""},
    });
    std::vector<TName_And_Event_Data> local;
    for (int i = 1; i <= list.Event_Count(); ++i) {
        local.push_back(list.At(i));
    }
    const auto keep_both = [](const Sync_Conflict&) { return Conflict_Choice::Keep_Both; };

    const Sync_Outcome first = Run_Sync(client, calendar, local, {}, keep_both, Stamp);
    EXPECT_EQ(first.Sent, 3);
    EXPECT_TRUE(first.List_Changed);
    EXPECT_EQ(Contents(first.Entries), Contents(local));
    std::vector<TName_And_Event_Data> on_server;
    for (const auto& event : client.Read_Events(calendar)) {
        const Event_Entry read = Read_Event_Entry(event.Data);
        ASSERT_EQ(read.Reading, Event_Reading::Taken) << event.Data;
        on_server.push_back(read.Entry);
    }
    EXPECT_EQ(Contents(on_server), Contents(local));

    transport.methods.clear();
    const Sync_Outcome second =
        Run_Sync(client, calendar, first.Entries, first.State, keep_both, Stamp);
    EXPECT_EQ(second.Sent, 0);
    EXPECT_EQ(second.Deleted_There, 0);
    EXPECT_FALSE(second.List_Changed);
    for (const auto& method : transport.methods) {
        EXPECT_TRUE(method == "PROPFIND" || method == "REPORT") << method;
    }
    EXPECT_LE(second.Requests, 2);
}

TEST_F(CalDAV_Named_Server, AWrongPasswordIsUnauthorized) {
    const auto transport = Make_Http_Transport(Options(password_ + "-wrong"));
    CalDAV_Client client(*transport);
    EXPECT_EQ(Failure_Of([&] { client.Find_Calendar_Home(url_); }), CalDAV_Failure::Unauthorized);
}

TEST(CalDAV_Named_Ports, NothingListeningIsUnreachableAndSilenceTimesOut) {
    const std::string unused = Environment("TESSALY_TEST_CALDAV_UNUSED_URL");
    const std::string silent = Environment("TESSALY_TEST_CALDAV_SILENT_URL");
    if (unused.empty() || silent.empty()) {
        GTEST_SKIP() << "TESSALY_TEST_CALDAV_UNUSED_URL and _SILENT_URL name no ports "
                        "(scripts/wine-tests.sh gives them for the Windows build)";
    }
    Http_Transport_Options options;
    options.Timeout = std::chrono::milliseconds(500);
    const auto transport = Make_Http_Transport(options);
    // A client keeps to the origin of its first address, so one for each.
    CalDAV_Client to_unused(*transport);
    EXPECT_EQ(Failure_Of([&] { to_unused.Read_Calendar(unused); }), CalDAV_Failure::Unreachable);
    CalDAV_Client to_silent(*transport);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Failure_Of([&] { to_silent.Read_Calendar(silent); }), CalDAV_Failure::Timed_Out);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

}  // namespace
}  // namespace tessaly
