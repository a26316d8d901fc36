#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
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

Conflict_Choice Keep_Both(const Sync_Conflict&) {
    return Conflict_Choice::Keep_Both;
}

TName_And_Event_Data Entry(const std::string& name, int year, int month, int day,
                           const std::string& type = "Birthday", const std::string& comments = "") {
    return test::List_Of({{name, year, month, day, type, comments}}).At(1);
}

// The lists' contents in one order, without the UIDs' places.
std::vector<std::string> Contents(const std::vector<TName_And_Event_Data>& list) {
    std::vector<std::string> contents;
    for (const auto& entry : list) {
        contents.push_back(Entry_Event_Content(entry));
    }
    std::sort(contents.begin(), contents.end());
    return contents;
}

// Sends each request through, after running the hook given for it.
class Hooked_Transport : public Http_Transport {
public:
    explicit Hooked_Transport(Http_Transport& inner) : inner_(inner) {}
    std::function<void(const Http_Request&)> before;
    Http_Response Send(const Http_Request& request) override {
        if (before) {
            before(request);
        }
        return inner_.Send(request);
    }

private:
    Http_Transport& inner_;
};

// What a command prints, and whether it ended well.
std::pair<std::string, bool> Run_Command(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {output, false};
    }
    std::array<char, 4096> buffer{};
    while (const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
        output.append(buffer.data(), read);
    }
    return {output, ::pclose(pipe) == 0};
}

// Each scenario runs against every real server.
class CalDAV_Sync : public test::Real_Server_Test {
protected:
    void SetUp() override {
        Real_Server_Test::SetUp();
        if (!Started()) {
            return;
        }
        const Http_Transport_Options options = Options();
        transport_ = Make_Http_Transport(options);
        hooked_ = std::make_unique<Hooked_Transport>(*transport_);
        client_ = std::make_unique<CalDAV_Client>(*hooked_);
        calendar_ =
            client_->Make_Calendar(client_->Find_Calendar_Home(server_->Url()), "Tessaly").Url;
    }

    Sync_Outcome Sync(
        Folder& folder,
        const std::function<Conflict_Choice(const Sync_Conflict&)>& decide = Keep_Both) {
        Sync_Outcome outcome =
            Run_Sync(*client_, calendar_, folder.list, folder.state, decide, Stamp);
        folder.list = outcome.Entries;
        folder.state = outcome.State;
        return outcome;
    }

    std::size_t Events_On_Server() { return client_->Read_Events(calendar_, false).size(); }

    std::unique_ptr<Http_Transport> transport_;
    std::unique_ptr<Hooked_Transport> hooked_;
    std::unique_ptr<CalDAV_Client> client_;
    std::string calendar_;
};

TEST_P(CalDAV_Sync, AFullListGoesUpOnceAndANoChangeSyncCostsARequest) {
    Folder folder;
    for (int i = 0; i < Event_Array_Size; ++i) {
        folder.list.push_back(
            Entry("Person " + std::to_string(i), 1950 + i % 70, 1 + i % 12, 1 + i % 28));
    }
    const Sync_Outcome first = Sync(folder);
    EXPECT_EQ(first.Sent, Event_Array_Size);
    EXPECT_TRUE(first.List_Changed) << "every entry got its UID";
    EXPECT_EQ(Events_On_Server(), static_cast<std::size_t>(Event_Array_Size));

    const Sync_Outcome second = Sync(folder);
    EXPECT_EQ(second.Sent, 0);
    EXPECT_FALSE(second.List_Changed);
    EXPECT_EQ(second.Requests, 1) << "the token kept is the one after the writes";
    const Sync_Outcome third = Sync(folder);
    EXPECT_EQ(third.Requests, 1);
    EXPECT_EQ(third.Sent, 0);
}

TEST_P(CalDAV_Sync, TwoFoldersEndWithTheSameListWhateverEachChanged) {
    Folder a;
    a.list = {Entry("Ann", 1980, 1, 2), Entry("Bo", 1990, 2, 29, "Birthday", "leap"),
              Entry("Zoë \xE6\x97\xA5", 1970, 3, 4, "Wedding", "a,b;c\\d\nline"),
              Entry("Gone", 2000, 5, 6), Entry("Edited in A", 1999, 7, 8)};
    Folder b;
    Sync(a);
    const Sync_Outcome joined = Sync(b);
    EXPECT_EQ(joined.Taken, 5);
    EXPECT_EQ(Contents(b.list), Contents(a.list));

    // B adds, edits and deletes; A edits another entry.
    b.list.push_back(Entry("Added in B", 2001, 9, 10));
    for (auto& entry : b.list) {
        if (entry.Name == "Ann") {
            entry.Comments = "edited in B";
        }
    }
    std::erase_if(b.list, [](const auto& entry) { return entry.Name == "Gone"; });
    for (auto& entry : a.list) {
        if (entry.Name == "Edited in A") {
            entry.Event_Type = "Anniversary";
        }
    }
    Sync(b);
    const Sync_Outcome in_a = Sync(a);
    EXPECT_EQ(in_a.Taken, 2);
    EXPECT_EQ(in_a.Removed_Here, 1);
    EXPECT_EQ(in_a.Sent, 1);
    Sync(b);
    EXPECT_EQ(Contents(a.list), Contents(b.list));
    EXPECT_EQ(a.list.size(), 5U);
    EXPECT_EQ(Events_On_Server(), 5U);

    // Both edit the same entry: a sync without a window keeps both.
    for (auto* folder : {&a, &b}) {
        for (auto& entry : folder->list) {
            if (entry.Name == "Bo") {
                entry.Comments = folder == &a ? "A's word" : "B's word";
            }
        }
    }
    Sync(a);
    const Sync_Outcome conflict = Sync(b);
    EXPECT_EQ(conflict.Conflicts, 1);
    Sync(a);
    EXPECT_EQ(Contents(a.list), Contents(b.list));
    EXPECT_EQ(a.list.size(), 6U);
}

TEST_P(CalDAV_Sync, AnEditMeetingADeleteOnTheOtherSideIsAskedAndTheEditKept) {
    Folder a;
    a.list = {Entry("Edited in A", 1980, 1, 2), Entry("Edited in B", 1990, 3, 4),
              Entry("Stays", 1970, 5, 6)};
    Folder b;
    Sync(a);
    Sync(b);
    const auto set_comment = [](Folder& folder, const std::string& name) {
        for (auto& entry : folder.list) {
            if (entry.Name == name) {
                entry.Comments = "edited";
            }
        }
    };
    const auto remove = [](Folder& folder, const std::string& name) {
        std::erase_if(folder.list, [&name](const auto& entry) { return entry.Name == name; });
    };
    set_comment(a, "Edited in A");
    remove(a, "Edited in B");
    set_comment(b, "Edited in B");
    remove(b, "Edited in A");

    // A goes first: its edit and its delete reach the server.
    const Sync_Outcome first = Sync(a);
    EXPECT_EQ(first.Sent, 1);
    EXPECT_EQ(first.Deleted_There, 1);
    // B then meets both kinds: deleted here what A edited, edited here what
    // A deleted. Asked, and answered to keep the edits.
    std::vector<Sync_Conflict> asked;
    const Sync_Outcome second = Sync(b, [&asked](const Sync_Conflict& conflict) {
        asked.push_back(conflict);
        return conflict.Mine ? Conflict_Choice::Keep_Mine : Conflict_Choice::Keep_Theirs;
    });
    ASSERT_EQ(asked.size(), 2U);
    EXPECT_EQ(second.Conflicts, 2);
    Sync(a);
    EXPECT_EQ(Contents(a.list), Contents(b.list));
    EXPECT_EQ(a.list.size(), 3U);
    for (const auto& entry : a.list) {
        EXPECT_EQ(entry.Comments, entry.Name == "Stays" ? "" : "edited") << entry.Name;
    }
    EXPECT_EQ(Events_On_Server(), 3U);
}

TEST_P(CalDAV_Sync, AnEmptiedListTakesTheCalendarInsteadOfDeletingIt) {
    Folder folder;
    folder.list = {Entry("Ann", 1980, 1, 2), Entry("Bo", 1990, 2, 29)};
    Sync(folder);
    const std::vector<TName_And_Event_Data> synced = folder.list;

    // The data file lost: the window starts with an empty list and the old
    // state beside it.
    folder.list.clear();
    const Sync_Outcome outcome = Sync(folder);
    EXPECT_EQ(outcome.Deleted_There, 0);
    EXPECT_EQ(outcome.Taken, 2);
    EXPECT_EQ(Contents(folder.list), Contents(synced));
    EXPECT_EQ(Events_On_Server(), 2U);

    // One entry deleted of several still reaches the server.
    folder.list.pop_back();
    EXPECT_EQ(Sync(folder).Deleted_There, 1);
    EXPECT_EQ(Events_On_Server(), 1U);
}

TEST_P(CalDAV_Sync, ChangesThereAreReadAloneWhileTheServerKnowsTheToken) {
    Folder folder;
    folder.list = {Entry("Ann", 1980, 1, 2), Entry("Bo", 1990, 3, 4), Entry("Cy", 1970, 5, 6)};
    Sync(folder);
    Sync(folder);  // a sync that writes nothing keeps the token
    ASSERT_FALSE(folder.state.Sync_Token.empty());

    // Another client edits one event, deletes one and adds one.
    CalDAV_Client other(*transport_);
    auto events = other.Read_Events(calendar_);
    ASSERT_EQ(events.size(), 3U);
    std::sort(events.begin(), events.end(),
              [](const auto& x, const auto& y) { return x.Data < y.Data; });
    const auto entry_of = [&folder](const std::string& data) {
        const Event_Entry read = Read_Event_Entry(data);
        for (const auto& entry : folder.list) {
            if (Read_Entry_Uid(entry) == read.Uid) {
                return entry;
            }
        }
        return TName_And_Event_Data{};
    };
    TName_And_Event_Data edited = entry_of(events[0].Data);
    const std::string deleted_name = entry_of(events[1].Data).Name;
    edited.Comments = "edited there";
    other.Put_Event(events[0].Url, Entry_Event(edited, *Read_Entry_Uid(edited), Stamp),
                    events[0].Etag);
    other.Delete_Event(events[1].Url, events[1].Etag);
    const TName_And_Event_Data added = Entry("Di", 2001, 7, 8);
    other.Put_Event(calendar_ + "added-there.ics", Entry_Event(added, "added-there", Stamp),
                    std::nullopt);

    const Sync_Outcome incremental = Sync(folder);
    EXPECT_EQ(incremental.Requests, 3) << "the token, the changes, the changed events";
    EXPECT_EQ(incremental.Taken, 2);
    EXPECT_EQ(incremental.Removed_Here, 1);
    EXPECT_EQ(incremental.Sent, 0);
    ASSERT_EQ(folder.list.size(), 3U);
    for (const auto& entry : folder.list) {
        EXPECT_NE(entry.Name, deleted_name);
        if (entry.Name == edited.Name) {
            EXPECT_EQ(entry.Comments, "edited there");
        }
    }
    EXPECT_TRUE(std::any_of(folder.list.begin(), folder.list.end(),
                            [](const auto& entry) { return entry.Name == "Di"; }));

    // A token the server no longer knows: everything is read instead.
    Folder stale = folder;
    stale.state.Sync_Token = "http://radicale.org/ns/sync/0000";
    const Sync_Outcome full = Sync(stale);
    EXPECT_EQ(full.Requests, 3) << "the token, the refused changes, every event";
    EXPECT_EQ(full.Sent + full.Taken + full.Removed_Here, 0);
    EXPECT_EQ(Contents(stale.list), Contents(folder.list));
}

TEST_P(CalDAV_Sync, AServerGoneMidwayChangesNothingHereAndTheNextSyncFinishes) {
    Folder folder;
    for (int i = 0; i < 20; ++i) {
        folder.list.push_back(Entry("Entry " + std::to_string(i), 1980, 1 + i % 12, 1 + i));
    }
    const Folder before = folder;
    int puts = 0;
    hooked_->before = [&](const Http_Request& request) {
        if (request.Method == "PUT" && ++puts == 8) {
            server_->Kill();
        }
    };
    try {
        Sync(folder);
        ADD_FAILURE() << "the sync went through without its server";
    } catch (const CalDAV_Error& error) {
        EXPECT_EQ(error.Failure(), CalDAV_Failure::Unreachable) << error.what();
    }
    EXPECT_EQ(folder.list, before.list);
    EXPECT_EQ(folder.state, before.state);

    hooked_->before = nullptr;
    ASSERT_TRUE(server_->Restart()) << server_->Failure();
    const Sync_Outcome again = Sync(folder);
    EXPECT_EQ(again.Sent, 13) << "the seven written before are met, not doubled";
    EXPECT_EQ(Events_On_Server(), 20U);
    EXPECT_EQ(Sync(folder).Sent, 0);
}

TEST_P(CalDAV_Sync, AWriteBetweenOurReadAndOurWriteIsNeverOverwritten) {
    Folder folder;
    folder.list = {Entry("Ann", 1980, 1, 2)};
    Sync(folder);
    Sync(folder);
    folder.list[0].Comments = "mine";
    // Another client edits the event after this sync read it.
    CalDAV_Client other(*transport_);
    bool edited = false;
    hooked_->before = [&](const Http_Request& request) {
        if (request.Method == "PUT" && !edited) {
            edited = true;
            auto events = other.Read_Events(calendar_);
            TName_And_Event_Data theirs = folder.list[0];
            theirs.Comments = "theirs";
            other.Put_Event(events[0].Url,
                            Entry_Event(theirs, *Read_Entry_Uid(folder.list[0]), Stamp),
                            events[0].Etag);
        }
    };
    // The write is refused; the event is read again within the same sync
    // and both versions kept.
    const Sync_Outcome next = Sync(folder);
    EXPECT_EQ(next.Conflicts, 1);
    ASSERT_EQ(folder.list.size(), 2U);
    EXPECT_NE(folder.list[0].Comments, folder.list[1].Comments);
}

TEST_P(CalDAV_Sync, AnotherCalendarClientReadsTheListAndAddsToIt) {
#ifndef TESSALY_SECOND_CLIENT
    GTEST_SKIP() << "python3-caldav is not installed (apt-get install python3-caldav)";
#else
    Folder folder;
    folder.list = {Entry("Z\xC3\xB6"
                         "e",
                         1980, 1, 2, "Birthday", "a,b;c\\d\nline"),
                   Entry("Leap Lena", 2000, 2, 29)};
    Sync(folder);
    const std::string command = "PYTHONIOENCODING=utf-8 " + std::string(TESSALY_SECOND_CLIENT) +
                                " " + calendar_ + " ann s3cret";
    const auto [events, read] = Run_Command(command + " read");
    ASSERT_TRUE(read) << events;
    EXPECT_EQ(events,
              "Leap Lena's Birthday|20000229|FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1\n"
              "Z\xC3\xB6"
              "e's Birthday|19800102|FREQ=YEARLY\n");

    const auto [output, wrote] =
        Run_Command(command + " write phone-1 \"Pat's Anniversary\" 19850607");
    ASSERT_TRUE(wrote) << output;
    const Sync_Outcome taken = Sync(folder);
    EXPECT_EQ(taken.Taken, 1);
    ASSERT_EQ(folder.list.size(), 3U);
    EXPECT_EQ(folder.list[2].Name, "Pat");
    EXPECT_EQ(folder.list[2].Event_Type, "Anniversary");
    EXPECT_EQ(folder.list[2].Orig_Date, Day_Number_Of(1985, 6, 7));
    EXPECT_EQ(Read_Entry_Uid(folder.list[2]), "phone-1");
#endif
}

// Leads travel as alarms: another client sees ours, its own alarm becomes
// the lead of an entry without one, a second folder gets both, a lead
// removed there stays removed, and the default alarm goes only where no one
// else's rings.
TEST_P(CalDAV_Sync, LeadsTravelAsAlarmsThatAnotherClientReadsAndSets) {
#ifndef TESSALY_SECOND_CLIENT
    GTEST_SKIP() << "python3-caldav is not installed (apt-get install python3-caldav)";
#else
    Folder here;
    here.list = {Entry("Ann", 1984, 5, 17), Entry("Bo", 1990, 1, 2), Entry("Cy", 1970, 3, 4)};
    ASSERT_TRUE(Write_Entry_Attributes(here.list[0], {false, 30}));
    Sync(here);
    const std::string command = "PYTHONIOENCODING=utf-8 " + std::string(TESSALY_SECOND_CLIENT) +
                                " " + calendar_ + " ann s3cret";
    const auto alarms = [&command] {
        const auto [out, ok] = Run_Command(command + " alarms");
        EXPECT_TRUE(ok) << out;
        return out;
    };
    // 29 days and 15 hours before: 09:00, 30 days ahead.
    EXPECT_EQ(alarms(), "Ann's Birthday|-2559600 ours\nBo's Birthday\nCy's Birthday\n");

    const auto [added, ok] =
        Run_Command(command + " add-alarm " + Read_Entry_Uid(here.list[1]).value() + " 2");
    ASSERT_TRUE(ok) << added;
    EXPECT_EQ(Sync(here).Taken, 1);
    const auto leads = [](const Folder& folder) {
        std::vector<std::string> found;
        for (const auto& entry : folder.list) {
            const auto lead = Read_Entry_Attributes(entry).Own_Lead;
            found.push_back(entry.Name + "=" + (lead ? std::to_string(*lead) : "-"));
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    EXPECT_EQ(leads(here), (std::vector<std::string>{"Ann=30", "Bo=2", "Cy=-"}));

    Folder laptop;
    Sync(laptop);
    EXPECT_EQ(leads(laptop), leads(here));
    for (auto& entry : laptop.list) {
        if (entry.Name == "Bo") {
            ASSERT_TRUE(Write_Entry_Attributes(entry, {false, std::nullopt}));
        }
    }
    EXPECT_EQ(Sync(laptop).Sent, 1);
    Sync(here);
    EXPECT_EQ(leads(here), (std::vector<std::string>{"Ann=30", "Bo=-", "Cy=-"}));
    EXPECT_EQ(Sync(here).Sent + Sync(laptop).Sent, 0) << "the phone's alarm is not taken again";
    EXPECT_EQ(leads(laptop), leads(here));

    // The default alarm on the day at 09:00, where no other alarm rings.
    Sync_Run_Options options;
    options.Alarm = {Default_Alarm::Kind::On_The_Day, 0};
    Sync_Outcome outcome =
        Run_Sync(*client_, calendar_, here.list, here.state, Keep_Both, Stamp, options);
    EXPECT_EQ(outcome.Sent, 1);
    EXPECT_EQ(alarms(),
              "Ann's Birthday|-2559600 ours\nBo's Birthday|-172800 theirs\n"
              "Cy's Birthday|32400 ours\n");
    outcome =
        Run_Sync(*client_, calendar_, outcome.Entries, outcome.State, Keep_Both, Stamp, options);
    EXPECT_EQ(outcome.Sent, 0);
    EXPECT_FALSE(outcome.List_Changed);
    // Back to none: ours goes, the phone's stays.
    outcome = Run_Sync(*client_, calendar_, outcome.Entries, outcome.State, Keep_Both, Stamp);
    EXPECT_EQ(outcome.Sent, 1);
    EXPECT_EQ(alarms(),
              "Ann's Birthday|-2559600 ours\nBo's Birthday|-172800 theirs\nCy's Birthday\n");
#endif
}

INSTANTIATE_TEST_SUITE_P(Servers, CalDAV_Sync,
                         ::testing::Values(test::Server_Kind::Radicale,
                                           test::Server_Kind::Xandikos),
                         test::Server_Name);

}  // namespace
}  // namespace tessaly

namespace tessaly {
namespace {

TName_And_Event_Data With_Uid(TName_And_Event_Data entry, const std::string& uid) {
    Write_Entry_Uid(entry, uid);
    return entry;
}

std::vector<std::string> Names_Of(const std::vector<TName_And_Event_Data>& list) {
    std::vector<std::string> names;
    for (const auto& entry : list) {
        names.push_back(entry.Name + (entry.Comments.empty() ? "" : "/" + entry.Comments));
    }
    return names;
}

TEST(CalDAV_Sync_Uids, EveryEntryGetsAUidOfItsOwnOnceAndCopiesAreToldApart) {
    std::vector<TName_And_Event_Data> list = {Entry("Ann", 1980, 1, 2), Entry("Ann", 1980, 1, 2),
                                              With_Uid(Entry("Bo", 1990, 3, 4), "bo@phone"),
                                              With_Uid(Entry("Cy", 1991, 5, 6), "bo@phone")};
    ASSERT_TRUE(Give_Entries_Uids(list));
    std::set<std::string> uids;
    for (const auto& entry : list) {
        uids.insert(Read_Entry_Uid(entry).value_or(""));
    }
    EXPECT_EQ(uids.size(), 4U);
    EXPECT_EQ(Read_Entry_Uid(list[2]), "bo@phone") << "the first holder keeps it";
    EXPECT_EQ(Read_Entry_Uid(list[0]), New_Entry_Uid(Entry("Ann", 1980, 1, 2)));
    const auto again = list;
    EXPECT_FALSE(Give_Entries_Uids(list));
    EXPECT_EQ(list, again);
}

TEST(CalDAV_Sync_Uids, ASyncOutcomeMeetsAListChangedMeanwhileWithoutLosingEither) {
    const std::vector<TName_And_Event_Data> snapshot = {
        With_Uid(Entry("Kept", 1980, 1, 2), "k"), With_Uid(Entry("Taken", 1980, 1, 2), "t"),
        With_Uid(Entry("Removed there", 1980, 1, 2), "r"),
        With_Uid(Entry("Edited here", 1980, 1, 2), "e"),
        With_Uid(Entry("Deleted here", 1980, 1, 2), "d")};
    // The sync took a change and a removal from the server, and a new event.
    std::vector<TName_And_Event_Data> synced = snapshot;
    synced[1].Comments = "from the server";
    synced[3].Comments = "server's";
    synced.erase(synced.begin() + 2);
    synced.push_back(With_Uid(Entry("New there", 1980, 1, 2), "n"));
    // Meanwhile the user edited one entry, deleted another and added one.
    std::vector<TName_And_Event_Data> current = snapshot;
    current[3].Comments = "typed";
    current.erase(current.begin() + 4);
    current.push_back(Entry("Added here", 1980, 1, 2));

    const auto merged = Merge_Into_Changed_List(snapshot, synced, current);
    ASSERT_TRUE(merged.has_value());
    EXPECT_EQ(Names_Of(*merged),
              (std::vector<std::string>{"Kept", "Taken/from the server", "Edited here/typed",
                                        "Added here", "New there"}));

    // No room for the server's new ones: nothing is dropped, the merge is refused.
    std::vector<TName_And_Event_Data> full;
    for (int i = 0; i < Event_Array_Size; ++i) {
        full.push_back(Entry("Entry " + std::to_string(i), 1980, 1, 2));
    }
    EXPECT_FALSE(
        Merge_Into_Changed_List({}, {With_Uid(Entry("New", 1980, 1, 2), "x")}, full).has_value());
}

}  // namespace
}  // namespace tessaly
