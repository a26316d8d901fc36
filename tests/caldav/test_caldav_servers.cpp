#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "caldav/caldav_client.h"
#include "caldav/curl_transport.h"
#include "sync/event_resource.h"
#include "test_support/radicale_server.h"
#include "test_support/real_server_test.h"
#include "test_support/sample_entries.h"

namespace tessaly {
namespace {

std::string Event(const std::string& uid, const std::string& summary) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Tessaly//Tests//EN\r\nBEGIN:VEVENT\r\n"
           "UID:" +
           uid +
           "\r\nDTSTAMP:20261209T120000Z\r\nDTSTART;VALUE=DATE:19860214\r\n"
           "RRULE:FREQ=YEARLY\r\nSUMMARY:" +
           summary + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

CalDAV_Failure Failure_Of(const std::function<void()>& action, long* status = nullptr) {
    try {
        action();
    } catch (const CalDAV_Error& error) {
        if (status != nullptr) {
            *status = error.Status();
        }
        return error.Failure();
    }
    ADD_FAILURE() << "no error";
    return CalDAV_Failure::Unexpected_Status;
}

// Each case runs against every real server; where they differ, the traits
// say how.
class CalDAV_Server : public test::Real_Server_Test {
protected:
    std::string Home() const { return server_->Url() + Traits().Home_Path("ann"); }
};

TEST_P(CalDAV_Server, FindsTheHomeMakesACalendarAndListsIt) {
    Curl_Transport transport(Options());
    CalDAV_Client client(transport);
    const std::string home = client.Find_Calendar_Home(server_->Url());
    EXPECT_EQ(home, Home());
    EXPECT_TRUE(client.List_Calendars(home).empty());

    const CalDAV_Calendar made = client.Make_Calendar(home, "Tessaly");
    EXPECT_EQ(made.Url, home + "tessaly/");
    EXPECT_EQ(made.Display_Name, "Tessaly");
    EXPECT_TRUE(made.Takes_Events);
    EXPECT_FALSE(made.Sync_Token.empty());
    // The name is taken: the second calendar gets a URL of its own.
    const CalDAV_Calendar second = client.Make_Calendar(home, "Tessaly");
    EXPECT_EQ(second.Url, home + "tessaly-2/");

    const auto calendars = client.List_Calendars(home);
    ASSERT_EQ(calendars.size(), 2U);
    const bool made_first = calendars[0].Url == made.Url;
    EXPECT_EQ(calendars[made_first ? 0 : 1].Url, made.Url);
    EXPECT_EQ(calendars[made_first ? 1 : 0].Url, second.Url);
    EXPECT_EQ(calendars[0].Display_Name, "Tessaly");
    // The well-known address, its redirect, the principal, then the home.
    EXPECT_GE(client.Requests_Sent(), 3);
}

TEST_P(CalDAV_Server, EventsAreWrittenAndDeletedOnlyUnderTheirETag) {
    Curl_Transport transport(Options());
    CalDAV_Client client(transport);
    const std::string home = client.Find_Calendar_Home(server_->Url());
    const CalDAV_Calendar calendar = client.Make_Calendar(home, "Tessaly");
    const std::string url = Event_Url(calendar.Url, "ann@tessaly");

    const std::string first = client.Put_Event(url, Event("ann@tessaly", "Ann Birthday"), {});
    ASSERT_FALSE(first.empty());
    // Creating again where something is: the other side created it first.
    EXPECT_EQ(Failure_Of([&] { client.Put_Event(url, Event("ann@tessaly", "Ann"), {}); }),
              CalDAV_Failure::Precondition_Failed);

    const std::string second = client.Put_Event(url, Event("ann@tessaly", "Ann Wedding"), first);
    EXPECT_NE(second, first);
    // The first ETag is stale now: neither a write nor a delete goes through.
    EXPECT_EQ(Failure_Of([&] { client.Put_Event(url, Event("ann@tessaly", "Lost"), first); }),
              CalDAV_Failure::Precondition_Failed);
    EXPECT_EQ(Failure_Of([&] { client.Delete_Event(url, first); }),
              CalDAV_Failure::Precondition_Failed);

    auto events = client.Read_Events(calendar.Url);
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].Url, url);
    EXPECT_EQ(events[0].Etag, second);
    EXPECT_NE(events[0].Data.find("SUMMARY:Ann Wedding"), std::string::npos);
    EXPECT_EQ(client.Read_Events(calendar.Url, false)[0].Data, "");
    const auto fetched = client.Read_Events(calendar.Url, std::vector<std::string>{url});
    ASSERT_EQ(fetched.size(), 1U);
    EXPECT_EQ(fetched[0].Etag, second);

    client.Delete_Event(url, second);
    EXPECT_TRUE(client.Read_Events(calendar.Url).empty());
    EXPECT_EQ(Failure_Of([&] { client.Delete_Event(url, second); }), CalDAV_Failure::Not_Found);
}

TEST_P(CalDAV_Server, ChangesSinceATokenAreWhatChanged) {
    Curl_Transport transport(Options());
    CalDAV_Client client(transport);
    const std::string home = client.Find_Calendar_Home(server_->Url());
    const CalDAV_Calendar calendar = client.Make_Calendar(home, "Tessaly");
    const std::string kept = Event_Url(calendar.Url, "kept");
    const std::string edited = Event_Url(calendar.Url, "edited");
    const std::string deleted = Event_Url(calendar.Url, "deleted");
    client.Put_Event(kept, Event("kept", "Kept"), {});
    const std::string edited_etag = client.Put_Event(edited, Event("edited", "Edited"), {});
    const std::string deleted_etag = client.Put_Event(deleted, Event("deleted", "Deleted"), {});
    const CalDAV_Calendar before = client.Read_Calendar(calendar.Url);

    const std::string added = Event_Url(calendar.Url, "added");
    client.Put_Event(added, Event("added", "Added"), {});
    const std::string new_etag =
        client.Put_Event(edited, Event("edited", "Edited again"), edited_etag);
    client.Delete_Event(deleted, deleted_etag);

    const CalDAV_Changes changes = client.Read_Changes(calendar.Url, before.Sync_Token);
    std::vector<std::string> changed;
    for (const auto& event : changes.Changed) {
        changed.push_back(event.Url);
        if (event.Url == edited) {
            EXPECT_EQ(event.Etag, new_etag);
        }
    }
    std::sort(changed.begin(), changed.end());
    EXPECT_EQ(changed, (std::vector<std::string>{added, edited}));
    EXPECT_EQ(changes.Removed, (std::vector<std::string>{deleted}));
    EXPECT_NE(changes.Sync_Token, before.Sync_Token);
    EXPECT_NE(client.Read_Calendar(calendar.Url).Ctag, before.Ctag);

    // Nothing since the new token.
    const CalDAV_Changes none = client.Read_Changes(calendar.Url, changes.Sync_Token);
    EXPECT_TRUE(none.Changed.empty());
    EXPECT_TRUE(none.Removed.empty());
    // A token the server never gave is refused, not taken as "no changes":
    // with the DAV:valid-sync-token error, or (Xandikos) as a failure.
    long status = 0;
    Failure_Of([&] { client.Read_Changes(calendar.Url, "http://radicale.org/ns/sync/0000"); },
               &status);
    EXPECT_EQ(status, Traits().Unknown_Token_Status);
}

TEST_P(CalDAV_Server, EntriesComeBackFromTheServerAsTheyWereWritten) {
    Curl_Transport transport(Options());
    CalDAV_Client client(transport);
    const CalDAV_Calendar calendar =
        client.Make_Calendar(client.Find_Calendar_Home(server_->Url()), "Tessaly");
    const Event_List list = test::List_Of({
        {"Zoë Ærøskøbing 日本語🎂 " + std::string(60, 'x'), 1984, 5, 17, "Birthday",
         "\"quoted\", semi; back\\slash colon: end\nsecond line"},
        {"Leap Lena", 2000, 2, 29, "Birthday", ""},
    });
    const auto stamp = std::chrono::sys_seconds{std::chrono::hours{24 * 20000}};
    for (int i = 1; i <= list.Event_Count(); ++i) {
        const std::string uid = "entry-" + std::to_string(i);
        client.Put_Event(Event_Url(calendar.Url, uid), Entry_Event(list.At(i), uid, stamp), {});
    }
    const auto events = client.Read_Events(calendar.Url);
    ASSERT_EQ(events.size(), 2U);
    for (const auto& event : events) {
        const Event_Entry read = Read_Event_Entry(event.Data);
        ASSERT_EQ(read.Reading, Event_Reading::Taken) << event.Data;
        const int index = read.Uid == "entry-1" ? 1 : 2;
        EXPECT_EQ(Entry_Event_Content(read.Entry), Entry_Event_Content(list.At(index)))
            << event.Data;
    }
}

TEST_P(CalDAV_Server, AWrongPasswordIsToldApartFromAnAbsentServer) {
    Curl_Transport wrong(Options("guess"));
    CalDAV_Client client(wrong);
    if (Traits().Checks_Passwords) {
        EXPECT_EQ(Failure_Of([&] { client.Find_Calendar_Home(server_->Url()); }),
                  CalDAV_Failure::Unauthorized);
    } else {
        // Logins are the business of a proxy in front of it.
        EXPECT_EQ(client.Find_Calendar_Home(server_->Url()), Home());
    }

    server_->Kill();
    Curl_Transport right(Options());
    CalDAV_Client absent(right);
    EXPECT_EQ(Failure_Of([&] { absent.Find_Calendar_Home(server_->Url()); }),
              CalDAV_Failure::Unreachable);
    // Back again, the same account and storage answer.
    ASSERT_TRUE(server_->Restart()) << server_->Failure();
    EXPECT_EQ(absent.Find_Calendar_Home(server_->Url()), Home());
}

// Address books are made and filled as another client of the account would.
Http_Response Send_Raw(Http_Transport& transport, std::string method, std::string url,
                       std::string body, std::vector<std::pair<std::string, std::string>> headers) {
    Http_Request request;
    request.Method = std::move(method);
    request.Url = std::move(url);
    request.Body = std::move(body);
    request.Headers = std::move(headers);
    return transport.Send(request);
}

std::string Vcard(const std::string& version, const std::string& uid, const std::string& name) {
    return "BEGIN:VCARD\r\nVERSION:" + version + "\r\nUID:" + uid + "\r\nFN:" + name +
           "\r\nN:" + name + ";;;;\r\nBDAY:" + (version == "3.0" ? "1986-02-14" : "--0214") +
           "\r\nEND:VCARD\r\n";
}

TEST_P(CalDAV_Server, AddressBooksAreFoundListedReadAndFollowed) {
    Curl_Transport transport(Options());
    CalDAV_Client client(transport);
    const std::string home = client.Find_Address_Book_Home(server_->Url());
    ASSERT_EQ(home.rfind(server_->Url(), 0), 0U) << home;
    EXPECT_EQ(home.back(), '/');

    const std::string book_url = home + "friends/";
    const Http_Response made =
        Send_Raw(transport, "MKCOL", book_url,
                 "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:mkcol xmlns:d=\"DAV:\" "
                 "xmlns:card=\"urn:ietf:params:xml:ns:carddav\"><d:set><d:prop><d:resourcetype>"
                 "<d:collection/><card:addressbook/></d:resourcetype><d:displayname>Friends &amp; "
                 "Kin</d:displayname></d:prop></d:set></d:mkcol>",
                 {{"Content-Type", "application/xml; charset=utf-8"}});
    ASSERT_EQ(made.Status, 201) << made.Body;
    // A calendar beside it is not an address book.
    client.Make_Calendar(client.Find_Calendar_Home(server_->Url()), "Tessaly");

    const auto books = client.List_Address_Books(home);
    ASSERT_EQ(books.size(), 1U);
    EXPECT_EQ(books[0].Url, book_url);
    EXPECT_EQ(books[0].Display_Name, "Friends & Kin");
    EXPECT_FALSE(books[0].Sync_Token.empty());

    const std::string ann = book_url + "ann.vcf";
    const std::string bo = book_url + "bo.vcf";
    const std::vector<std::pair<std::string, std::string>> put_headers{
        {"Content-Type", "text/vcard; charset=utf-8"}, {"If-None-Match", "*"}};
    ASSERT_EQ(
        Send_Raw(transport, "PUT", ann, Vcard("3.0", "ann", "Ann Åberg"), put_headers).Status / 100,
        2);
    ASSERT_EQ(
        Send_Raw(transport, "PUT", bo, Vcard("4.0", "bo", "Bo 日本"), put_headers).Status / 100, 2);

    auto listed = client.Read_Address_Book(book_url);
    ASSERT_EQ(listed.size(), 2U);
    std::sort(listed.begin(), listed.end(),
              [](const auto& a, const auto& b) { return a.Url < b.Url; });
    EXPECT_EQ(listed[0].Url, ann);
    EXPECT_EQ(listed[1].Url, bo);
    for (const auto& contact : listed) {
        EXPECT_FALSE(contact.Etag.empty());
        EXPECT_TRUE(contact.Data.empty());
        EXPECT_TRUE(contact.Problem.empty()) << contact.Problem;
    }

    // One gone already is left out; the others come whole.
    auto read = client.Read_Contacts(book_url, {ann, bo, book_url + "gone.vcf"});
    ASSERT_EQ(read.size(), 2U);
    std::sort(read.begin(), read.end(), [](const auto& a, const auto& b) { return a.Url < b.Url; });
    EXPECT_EQ(read[0].Etag, listed[0].Etag);
    EXPECT_EQ(read[1].Etag, listed[1].Etag);
    EXPECT_NE(read[0].Data.find("VERSION:3.0"), std::string::npos) << read[0].Data;
    EXPECT_NE(read[0].Data.find("FN:Ann Åberg"), std::string::npos) << read[0].Data;
    EXPECT_NE(read[1].Data.find("VERSION:4.0"), std::string::npos) << read[1].Data;
    EXPECT_NE(read[1].Data.find("BDAY:--0214"), std::string::npos) << read[1].Data;

    const std::string token = client.List_Address_Books(home)[0].Sync_Token;
    ASSERT_EQ(Send_Raw(transport, "PUT", ann, Vcard("3.0", "ann", "Ann Berg"),
                       {{"Content-Type", "text/vcard; charset=utf-8"}, {"If-Match", read[0].Etag}})
                      .Status /
                  100,
              2);
    ASSERT_EQ(Send_Raw(transport, "DELETE", bo, {}, {}).Status / 100, 2);
    const CardDAV_Changes changes = client.Read_Address_Book_Changes(book_url, token);
    ASSERT_EQ(changes.Changed.size(), 1U);
    EXPECT_EQ(changes.Changed[0].Url, ann);
    EXPECT_NE(changes.Changed[0].Etag, read[0].Etag);
    EXPECT_EQ(changes.Removed, (std::vector<std::string>{bo}));
    EXPECT_NE(changes.Sync_Token, token);
    const auto after = client.Read_Contacts(book_url, {ann});
    ASSERT_EQ(after.size(), 1U);
    EXPECT_EQ(after[0].Etag, changes.Changed[0].Etag);
    EXPECT_NE(after[0].Data.find("FN:Ann Berg"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Servers, CalDAV_Server,
                         ::testing::Values(test::Server_Kind::Radicale,
                                           test::Server_Kind::Xandikos),
                         test::Server_Name);

TEST(CalDAV_Transport, AServerThatNeverAnswersTimesOut) {
    test::Silent_Server silent;
    Http_Transport_Options options;
    options.Timeout = std::chrono::milliseconds(500);
    Curl_Transport transport(options);
    CalDAV_Client client(transport);
    EXPECT_EQ(Failure_Of([&] { client.Read_Calendar(silent.Url()); }), CalDAV_Failure::Timed_Out);
}

}  // namespace
}  // namespace tessaly
