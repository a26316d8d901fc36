// Against a real server: what another client, a lost list or a broken server
// may do, and the sync never emptying either side or losing the other
// clients' data because of it.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "caldav/http_transport.h"
#include "core/entry_attributes.h"
#include "sync/event_resource.h"
#include "sync/sync_run.h"
#include "sync_folder.h"
#include "test_support/real_server_test.h"
#include "test_support/sample_entries.h"

namespace tessaly {
namespace {

const auto& Stamp = test::Sync_Stamp;
using Folder = test::Sync_Folder;

TName_And_Event_Data Entry(const std::string& name, const std::string& comments = "") {
    return test::List_Of({{name, 1980, 5, 17, "Birthday", comments}}).At(1);
}

Folder Folder_Of(int count) {
    Folder folder;
    for (int i = 0; i < count; ++i) {
        folder.list.push_back(Entry("Person " + std::to_string(i)));
    }
    return folder;
}

// Sends each request through, or answers it itself; and may change the
// reply, as a server that spells addresses its own way.
class Scripted_Transport : public Http_Transport {
public:
    explicit Scripted_Transport(Http_Transport& inner) : inner_(inner) {}
    std::function<std::optional<Http_Response>(const Http_Request&)> answer;
    std::function<void(const Http_Request&, Http_Response&)> after;
    Http_Response Send(const Http_Request& request) override {
        if (answer) {
            if (auto reply = answer(request)) {
                return *reply;
            }
        }
        Http_Response response = inner_.Send(request);
        if (after) {
            after(request, response);
        }
        return response;
    }

private:
    Http_Transport& inner_;
};

// Each case runs against every real server.
class Sync_Safety : public test::Real_Server_Test {
protected:
    void SetUp() override {
        Real_Server_Test::SetUp();
        if (!Started()) {
            return;
        }
        const Http_Transport_Options options = Options();
        transport_ = Make_Http_Transport(options);
        scripted_ = std::make_unique<Scripted_Transport>(*transport_);
        client_ = std::make_unique<CalDAV_Client>(*scripted_);
        // The phone: another client on its own connection.
        phone_transport_ = Make_Http_Transport(options);
        phone_ = std::make_unique<CalDAV_Client>(*phone_transport_);
        home_ = phone_->Find_Calendar_Home(server_->Url());
        calendar_ = phone_->Make_Calendar(home_, "Tessaly").Url;
    }

    Sync_Outcome Sync(Folder& folder, Deletion_Choice answer = Deletion_Choice::Stop) {
        Sync_Run_Options options;
        options.Ask_Deletions = [&](const Deletion_Question& question) {
            asked_.push_back(question);
            return answer;
        };
        Sync_Outcome outcome = Run_Sync(
            *client_, calendar_, folder.list, folder.state,
            [](const Sync_Conflict&) { return Conflict_Choice::Keep_Both; }, Stamp, options);
        folder.list = outcome.Entries;
        folder.state = outcome.State;
        return outcome;
    }

    // A second sync right after changes nothing.
    void Expect_Settled(Folder& folder) {
        const Sync_Outcome again = Sync(folder);
        EXPECT_EQ(again.Sent + again.Deleted_There + again.Taken + again.Removed_Here, 0);
        EXPECT_FALSE(again.List_Changed);
        EXPECT_FALSE(again.Stopped);
    }

    std::vector<CalDAV_Event> Server_Events() { return phone_->Read_Events(calendar_); }

    std::unique_ptr<Http_Transport> transport_;
    std::unique_ptr<Scripted_Transport> scripted_;
    std::unique_ptr<CalDAV_Client> client_;
    std::unique_ptr<Http_Transport> phone_transport_;
    std::unique_ptr<CalDAV_Client> phone_;
    std::string home_;
    std::string calendar_;
    std::vector<Deletion_Question> asked_;
};

TEST_P(Sync_Safety, ACalendarEmptiedElsewhereStopsTheSyncUntilTheUserSays) {
    Folder folder = Folder_Of(20);
    Sync(folder);
    for (const auto& event : Server_Events()) {
        phone_->Delete_Event(event.Url, event.Etag);
    }
    const Sync_Outcome stopped = Sync(folder);
    ASSERT_TRUE(stopped.Stopped);
    EXPECT_EQ(stopped.Stopped->Deleted_Here, 20);
    EXPECT_EQ(folder.list.size(), 20u);
    EXPECT_FALSE(stopped.List_Changed);

    // Keeping everything sends the list back.
    const Sync_Outcome kept = Sync(folder, Deletion_Choice::Keep_Everything);
    EXPECT_EQ(kept.Sent, 20);
    EXPECT_EQ(Server_Events().size(), 20u);
    Expect_Settled(folder);
}

TEST_P(Sync_Safety, AListMadeAnewBesideTheOldStateNeverEmptiesTheCalendar) {
    Folder folder = Folder_Of(12);
    Sync(folder);
    folder.list = {Entry("Only one")};
    const Sync_Outcome stopped = Sync(folder);
    ASSERT_TRUE(stopped.Stopped);
    EXPECT_EQ(stopped.Stopped->Deleted_There, 12);
    EXPECT_EQ(Server_Events().size(), 12u);

    const Sync_Outcome kept = Sync(folder, Deletion_Choice::Keep_Everything);
    EXPECT_EQ(kept.Taken, 12);
    EXPECT_EQ(folder.list.size(), 13u);
    Expect_Settled(folder);
}

TEST_P(Sync_Safety, ACalendarMadeAgainAtTheSameAddressGetsTheListBack) {
    Folder folder = Folder_Of(8);
    Sync(folder);
    Http_Request remove;
    remove.Method = "DELETE";
    remove.Url = calendar_;
    ASSERT_LT(phone_transport_->Send(remove).Status, 300);
    ASSERT_EQ(phone_->Make_Calendar(home_, "Tessaly").Url, calendar_);

    const Sync_Outcome outcome = Sync(folder);
    EXPECT_FALSE(outcome.Stopped);
    EXPECT_TRUE(outcome.Compared_Afresh);
    EXPECT_EQ(outcome.Sent, 8);
    EXPECT_EQ(outcome.Removed_Here, 0);
    EXPECT_EQ(folder.list.size(), 8u);
    Expect_Settled(folder);
}

TEST_P(Sync_Safety, AServerSpellingAddressesItsOwnWayStillReachesTheList) {
    // Events written under the escaped names an older version gave.
    Folder folder = Folder_Of(3);
    ASSERT_TRUE(Give_Entries_Uids(folder.list));
    for (const auto& entry : folder.list) {
        const std::string uid = *Read_Entry_Uid(entry);
        ASSERT_NE(uid.find('@'), std::string::npos);
        const std::string url = calendar_ + uid.substr(0, uid.find('@')) + "%40tessaly.ics";
        client_->Put_Event(url, Entry_Event(entry, uid, Stamp), std::nullopt);
    }
    Sync(folder);
    ASSERT_EQ(folder.state.Events.size(), 3u);
    // The server now names them with "@" raw, and escapes its own "-".
    scripted_->after = [](const Http_Request& request, Http_Response& response) {
        if (request.Method != "REPORT") {
            return;
        }
        for (std::size_t at; (at = response.Body.find("%40")) != std::string::npos;) {
            response.Body.replace(at, 3, "@");
        }
    };
    const auto events = Server_Events();
    const CalDAV_Event& edited = events[0];
    const CalDAV_Event& deleted = events[1];
    auto changed = Read_Event_Entry(edited.Data).Entry;
    changed.Comments = "edited on the phone";
    phone_->Put_Event(edited.Url, Entry_Event(changed, Read_Event_Entry(edited.Data).Uid, Stamp),
                      edited.Etag);
    phone_->Delete_Event(deleted.Url, deleted.Etag);

    const Sync_Outcome outcome = Sync(folder);
    EXPECT_EQ(outcome.Taken, 1);
    EXPECT_EQ(outcome.Removed_Here, 1);
    ASSERT_EQ(folder.list.size(), 2u);
    // An edit here then reaches the server: no write under a stale ETag.
    folder.list[0].Comments = "edited here";
    folder.list[1].Comments = "edited here";
    const Sync_Outcome sent = Sync(folder);
    EXPECT_EQ(sent.Sent, 2);
    EXPECT_TRUE(sent.Skipped.empty());
    Expect_Settled(folder);
}

TEST_P(Sync_Safety, AWriteMeetingAnEditMadeMeanwhileIsMergedAndTheRestGoOn) {
    Folder folder = Folder_Of(4);
    Sync(folder);
    for (auto& entry : folder.list) {
        entry.Comments = "edited here";
    }
    const std::string raced = folder.state.Events[1].Url;
    bool edited = false;
    scripted_->answer = [&](const Http_Request& request) -> std::optional<Http_Response> {
        if (request.Method == "PUT" && request.Url == raced && !edited) {
            edited = true;
            const auto event = phone_->Read_Events(calendar_, {raced}).at(0);
            auto entry = Read_Event_Entry(event.Data).Entry;
            entry.Comments = "edited on the phone";
            phone_->Put_Event(raced, Entry_Event(entry, Read_Event_Entry(event.Data).Uid, Stamp),
                              event.Etag);
        }
        return std::nullopt;
    };
    const Sync_Outcome outcome = Sync(folder);
    EXPECT_EQ(outcome.Sent, 4) << "three edits, then the raced one's own version";
    EXPECT_EQ(outcome.Conflicts, 1);
    EXPECT_EQ(folder.list.size(), 5u) << "both versions of the raced entry";
    Expect_Settled(folder);
}

TEST_P(Sync_Safety, AnEventTheServerRefusesIsSkippedAndTheRestSynced) {
    Folder folder = Folder_Of(6);
    folder.list[2].Name = "Refused";
    scripted_->answer = [](const Http_Request& request) -> std::optional<Http_Response> {
        if (request.Method == "PUT" && request.Body.find("SUMMARY:Refused") != std::string::npos) {
            Http_Response refused;
            refused.Status = 500;
            return refused;
        }
        return std::nullopt;
    };
    const Sync_Outcome outcome = Sync(folder);
    EXPECT_EQ(outcome.Sent, 5);
    ASSERT_EQ(outcome.Skipped.size(), 1u);
    EXPECT_EQ(outcome.Skipped[0].Name, "Refused");
    EXPECT_TRUE(outcome.Skipped[0].Retried);
    EXPECT_EQ(Server_Events().size(), 5u);
    scripted_->answer = nullptr;
    EXPECT_EQ(Sync(folder).Sent, 1) << "the next sync takes up where this one stopped";
    Expect_Settled(folder);
}

TEST_P(Sync_Safety, AnEventMadeWeeklyOnThePhoneBlocksNothing) {
    Folder folder = Folder_Of(3);
    Sync(folder);
    const auto events = Server_Events();
    std::string weekly = events[0].Data;
    weekly.replace(weekly.find("FREQ=YEARLY"), 11, "FREQ=WEEKLY");
    phone_->Put_Event(events[0].Url, weekly, events[0].Etag);
    const Sync_Outcome seen = Sync(folder);
    EXPECT_EQ(seen.Not_Taken, 1);
    EXPECT_EQ(folder.list.size(), 3u);

    // Edits and a delete here, and a new event from the phone, all go.
    for (auto& entry : folder.list) {
        entry.Comments = "edited here";
    }
    folder.list.pop_back();
    const auto phone_entry = Entry("From the phone");
    phone_->Put_Event(Event_Url(calendar_, "phone-1"), Entry_Event(phone_entry, "phone-1", Stamp),
                      std::nullopt);
    const Sync_Outcome outcome = Sync(folder);
    EXPECT_TRUE(outcome.Skipped.empty());
    EXPECT_EQ(outcome.Taken, 1);
    EXPECT_EQ(folder.list.size(), 3u);
    Expect_Settled(folder);
}

TEST_P(Sync_Safety, AnEditHereKeepsEverythingThePhoneWroteInTheEvent) {
    const std::string phone_event =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//Calendar 9//EN\r\n"
        "BEGIN:VTIMEZONE\r\nTZID:Europe/Oslo\r\nBEGIN:STANDARD\r\nDTSTART:19701025T030000\r\n"
        "TZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
        "BEGIN:VEVENT\r\nUID:phone-rich-1\r\nDTSTAMP:20260101T090000Z\r\nSEQUENCE:2\r\n"
        "DTSTART;VALUE=DATE:19800517\r\nRRULE:FREQ=YEARLY\r\nSUMMARY:Ann's Birthday\r\n"
        "DESCRIPTION:first words\r\nCATEGORIES:Family,Birthdays\r\nCLASS:PRIVATE\r\n"
        "LOCATION:Bergen\r\nURL:https://example.org/ann\r\n"
        "ORGANIZER;CN=Pat:mailto:pat@example.org\r\n"
        "ATTENDEE;PARTSTAT=ACCEPTED;CN=Ann:mailto:ann@example.org\r\n"
        "X-PHONE-COLOUR:teal\r\n"
        "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Ann\r\nTRIGGER:-P1D\r\nEND:VALARM\r\n"
        "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-PT15H\r\nEND:VALARM\r\n"
        "END:VEVENT\r\nEND:VCALENDAR\r\n";
    phone_->Put_Event(calendar_ + "phone-rich-1.ics", phone_event, std::nullopt);
    Folder folder;
    Sync(folder);
    ASSERT_EQ(folder.list.size(), 1u);
    folder.list[0].Comments = "edited here";
    EXPECT_EQ(Sync(folder).Sent, 1);

    const auto events = Server_Events();
    ASSERT_EQ(events.size(), 1u);
    const std::string& data = events[0].Data;
    for (const char* kept :
         {"PRODID:-//Phone//Calendar 9//EN", "TZID:Europe/Oslo", "CATEGORIES:Family,Birthdays",
          "CLASS:PRIVATE", "LOCATION:Bergen", "URL:https://example.org/ann",
          "ORGANIZER;CN=Pat:mailto:pat@example.org", "PARTSTAT=ACCEPTED", "mailto:ann@example.org",
          "X-PHONE-COLOUR:teal", "ACTION:AUDIO", "TRIGGER:-PT15H", "TRIGGER:-P1D",
          "DESCRIPTION:edited here", "SEQUENCE:3"}) {
        EXPECT_NE(data.find(kept), std::string::npos) << kept << " in\n" << data;
    }
    EXPECT_EQ(data.find("first words"), std::string::npos);
    EXPECT_EQ(data.find("DTSTAMP:20260101T090000Z"), std::string::npos) << "raised";
    Expect_Settled(folder);
}

INSTANTIATE_TEST_SUITE_P(Servers, Sync_Safety,
                         ::testing::Values(test::Server_Kind::Radicale,
                                           test::Server_Kind::Xandikos),
                         test::Server_Name);

}  // namespace
}  // namespace tessaly
