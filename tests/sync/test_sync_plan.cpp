#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/entry_attributes.h"
#include "sync/sync_plan.h"
#include "test_support/sample_entries.h"

namespace tessaly {
namespace {

const std::string Calendar = "http://h/cal/";

TName_And_Event_Data Entry(const std::string& name, const std::string& uid,
                           const std::string& comments = "") {
    TName_And_Event_Data entry = test::List_Of({{name, 1980, 5, 17, "Birthday", comments}}).At(1);
    if (!uid.empty()) {
        Write_Entry_Uid(entry, uid);
    }
    return entry;
}

Remote_Event Remote(const TName_And_Event_Data& entry, const std::string& uid,
                    const std::string& etag) {
    Remote_Event event;
    event.Url = Event_Url(Calendar, uid);
    event.Etag = etag;
    event.Read.Reading = Event_Reading::Taken;
    event.Read.Uid = uid;
    event.Read.Entry = entry;
    return event;
}

Synced_Event Synced(const TName_And_Event_Data& entry, const std::string& uid,
                    const std::string& etag) {
    return {uid, Event_Url(Calendar, uid), etag, Content_Hash(entry)};
}

// Decides every conflict as told, and keeps what it was asked.
struct Decider {
    explicit Decider(Conflict_Choice answer = Conflict_Choice::Keep_Both) : choice(answer) {}
    Conflict_Choice choice;
    std::vector<Sync_Conflict> asked;
    std::function<Conflict_Choice(const Sync_Conflict&)> Function() {
        return [this](const Sync_Conflict& conflict) {
            asked.push_back(conflict);
            return choice;
        };
    }
};

struct Uids {
    int next = 0;
    std::function<std::string(const TName_And_Event_Data&)> Function() {
        return [this](const TName_And_Event_Data&) { return "new-" + std::to_string(++next); };
    }
};

std::vector<std::string> Names(const Sync_Plan& plan) {
    std::vector<std::string> names;
    for (const auto& entry : plan.Entries) {
        names.push_back(entry.Name);
    }
    return names;
}

TEST(CalDAV_Merge, AFirstSyncSendsTheListAndTakesTheServersEvents) {
    Decider decider;
    Uids uids;
    const auto phone = Entry("Phone Pat", "");
    Remote_Event meeting;
    meeting.Url = Calendar + "m.ics";
    meeting.Etag = "\"m\"";
    meeting.Read.Reading = Event_Reading::Not_Yearly_All_Day;
    meeting.Read.Uid = "meeting";
    const Sync_Plan plan = Plan_Sync({Entry("Ann", ""), Entry("Bo", "")}, {},
                                     {Remote(phone, "phone-1", "\"p1\""), meeting}, Calendar,
                                     decider.Function(), uids.Function());
    EXPECT_EQ(Names(plan), (std::vector<std::string>{"Ann", "Bo", "Phone Pat"}));
    EXPECT_EQ(Read_Entry_Uid(plan.Entries[0]), "new-1");
    EXPECT_EQ(Read_Entry_Uid(plan.Entries[2]), "phone-1");
    ASSERT_EQ(plan.Puts.size(), 2U);
    EXPECT_EQ(plan.Puts[0].Url, Calendar + "new-1.ics");
    EXPECT_FALSE(plan.Puts[0].Etag) << "created only where nothing is";
    EXPECT_EQ(Read_Entry_Uid(plan.Puts[1].Entry), "new-2");
    EXPECT_TRUE(plan.Deletes.empty());
    EXPECT_EQ(plan.Kept, (std::vector<Synced_Event>{Synced(phone, "phone-1", "\"p1\"")}));
    EXPECT_TRUE(plan.List_Changed);
    EXPECT_EQ(plan.Taken_From_Server, 1);
    EXPECT_EQ(plan.Not_Taken, 1);
    EXPECT_TRUE(decider.asked.empty());
}

TEST(CalDAV_Merge, NothingChangedWritesNothing) {
    Decider decider;
    Uids uids;
    const auto ann = Entry("Ann", "a");
    const Sync_Plan plan =
        Plan_Sync({ann}, {Synced(ann, "a", "\"1\"")}, {Remote(ann, "a", "\"1\"")}, Calendar,
                  decider.Function(), uids.Function());
    EXPECT_TRUE(plan.Puts.empty());
    EXPECT_TRUE(plan.Deletes.empty());
    EXPECT_FALSE(plan.List_Changed);
    EXPECT_EQ(plan.Kept.size(), 1U);
}

TEST(CalDAV_Merge, AChangeOnOneSideReachesTheOther) {
    Decider decider;
    Uids uids;
    const auto kept = Entry("Kept", "k");
    const auto edited_here = Entry("Here", "h");
    auto edited_there = Entry("There", "t");
    const auto deleted_here = Entry("Gone here", "gh");
    const auto deleted_there = Entry("Gone there", "gt");
    const std::vector<Synced_Event> state = {
        Synced(kept, "k", "\"k\""), Synced(Entry("Here before", "h"), "h", "\"h\""),
        Synced(edited_there, "t", "\"t\""), Synced(deleted_here, "gh", "\"gh\""),
        Synced(deleted_there, "gt", "\"gt\"")};
    // The list's own attributes stay when the server's edit comes in.
    ASSERT_TRUE(Write_Entry_Attributes(edited_there, {false, 30}));
    const Sync_Plan plan =
        Plan_Sync({kept, edited_here, edited_there, deleted_there}, state,
                  {Remote(kept, "k", "\"k\""), Remote(Entry("Here before", "h"), "h", "\"h\""),
                   Remote(Entry("There after", "t", "new comment"), "t", "\"t2\""),
                   Remote(deleted_here, "gh", "\"gh\"")},
                  Calendar, decider.Function(), uids.Function());

    EXPECT_EQ(Names(plan), (std::vector<std::string>{"Kept", "Here", "There after"}));
    EXPECT_EQ(plan.Entries[2].Comments, "new comment");
    EXPECT_EQ(Read_Entry_Attributes(plan.Entries[2]).Own_Lead, 30);
    EXPECT_EQ(Read_Entry_Uid(plan.Entries[2]), "t");
    ASSERT_EQ(plan.Puts.size(), 1U);
    EXPECT_EQ(plan.Puts[0].Uid, "h");
    EXPECT_EQ(plan.Puts[0].Etag, "\"h\"");
    ASSERT_EQ(plan.Deletes.size(), 1U);
    EXPECT_EQ(plan.Deletes[0].Uid, "gh");
    EXPECT_EQ(plan.Deletes[0].Etag, "\"gh\"");
    EXPECT_EQ(plan.Taken_From_Server, 1);
    EXPECT_EQ(plan.Removed_By_Server, 1);
    EXPECT_TRUE(plan.List_Changed);
    EXPECT_EQ(plan.Conflicts, 0);
}

TEST(CalDAV_Merge, BothSidesChangedAsksAndDoesAsTold) {
    const auto before = Entry("Ann", "a");
    const auto mine = Entry("Ann mine", "a");
    const auto theirs = Entry("Ann theirs", "a");
    const std::vector<Synced_Event> state = {Synced(before, "a", "\"1\"")};
    const std::vector<Remote_Event> server = {Remote(theirs, "a", "\"2\"")};
    Uids uids;
    {
        Decider decider{Conflict_Choice::Keep_Mine};
        const Sync_Plan plan =
            Plan_Sync({mine}, state, server, Calendar, decider.Function(), uids.Function());
        ASSERT_EQ(decider.asked.size(), 1U);
        EXPECT_EQ(decider.asked[0].Mine->Name, "Ann mine");
        EXPECT_EQ(decider.asked[0].Theirs->Name, "Ann theirs");
        EXPECT_EQ(Names(plan), (std::vector<std::string>{"Ann mine"}));
        ASSERT_EQ(plan.Puts.size(), 1U);
        EXPECT_EQ(plan.Puts[0].Etag, "\"2\"") << "written over the version the user saw";
    }
    {
        Decider decider{Conflict_Choice::Keep_Theirs};
        const Sync_Plan plan =
            Plan_Sync({mine}, state, server, Calendar, decider.Function(), uids.Function());
        EXPECT_EQ(Names(plan), (std::vector<std::string>{"Ann theirs"}));
        EXPECT_TRUE(plan.Puts.empty());
    }
    {
        Decider decider{Conflict_Choice::Keep_Both};
        const Sync_Plan plan =
            Plan_Sync({mine}, state, server, Calendar, decider.Function(), uids.Function());
        EXPECT_EQ(Names(plan), (std::vector<std::string>{"Ann mine", "Ann theirs"}));
        EXPECT_NE(Read_Entry_Uid(plan.Entries[0]), "a");
        EXPECT_EQ(Read_Entry_Uid(plan.Entries[1]), "a");
        ASSERT_EQ(plan.Puts.size(), 1U);
        EXPECT_FALSE(plan.Puts[0].Etag);
        EXPECT_EQ(plan.Conflicts, 1);
    }
    {
        // The same change on both sides, or an interrupted sync whose write
        // went through: nothing to ask.
        Decider decider;
        const Sync_Plan plan = Plan_Sync({mine}, state, {Remote(mine, "a", "\"3\"")}, Calendar,
                                         decider.Function(), uids.Function());
        EXPECT_TRUE(decider.asked.empty());
        EXPECT_TRUE(plan.Puts.empty());
        EXPECT_EQ(plan.Kept, (std::vector<Synced_Event>{Synced(mine, "a", "\"3\"")}));
        EXPECT_FALSE(plan.List_Changed);
    }
}

TEST(CalDAV_Merge, AnEditMeetingADeleteKeepsTheEditUnlessTheUserSaysOtherwise) {
    const auto before = Entry("Ann", "a");
    const auto edited = Entry("Ann edited", "a");
    const std::vector<Synced_Event> state = {Synced(before, "a", "\"1\"")};
    Uids uids;
    {
        Decider decider;  // a run without a window keeps both
        const Sync_Plan here =
            Plan_Sync({edited}, state, {}, Calendar, decider.Function(), uids.Function());
        EXPECT_EQ(Names(here), (std::vector<std::string>{"Ann edited"}));
        ASSERT_EQ(here.Puts.size(), 1U);
        EXPECT_FALSE(here.Puts[0].Etag);
        EXPECT_FALSE(decider.asked[0].Theirs);

        const Sync_Plan there = Plan_Sync({}, state, {Remote(edited, "a", "\"2\"")}, Calendar,
                                          decider.Function(), uids.Function());
        EXPECT_EQ(Names(there), (std::vector<std::string>{"Ann edited"}));
        EXPECT_TRUE(there.Deletes.empty());
        EXPECT_FALSE(decider.asked[1].Mine);
    }
    {
        Decider decider{Conflict_Choice::Keep_Mine};
        const Sync_Plan there = Plan_Sync({}, state, {Remote(edited, "a", "\"2\"")}, Calendar,
                                          decider.Function(), uids.Function());
        EXPECT_TRUE(there.Entries.empty());
        ASSERT_EQ(there.Deletes.size(), 1U);
        EXPECT_EQ(there.Deletes[0].Etag, "\"2\"");
    }
}

TEST(CalDAV_Merge, ACopiedEntryGetsAnIdentityOfItsOwn) {
    Decider decider;
    Uids uids;
    const auto ann = Entry("Ann", "a");
    const Sync_Plan plan =
        Plan_Sync({ann, ann}, {Synced(ann, "a", "\"1\"")}, {Remote(ann, "a", "\"1\"")}, Calendar,
                  decider.Function(), uids.Function());
    ASSERT_EQ(plan.Entries.size(), 2U);
    EXPECT_EQ(Read_Entry_Uid(plan.Entries[0]), "a");
    EXPECT_EQ(Read_Entry_Uid(plan.Entries[1]), "new-1");
    ASSERT_EQ(plan.Puts.size(), 1U);
    EXPECT_EQ(plan.Puts[0].Uid, "new-1");
}

TEST(CalDAV_Merge, AUidFromTheContentMeetsTheEventAlreadyWritten) {
    Decider decider;
    const auto by_name = [](const TName_And_Event_Data& entry) { return entry.Name; };
    // The last sync wrote Ann and Bo, then stopped before the list was saved.
    const Sync_Plan plan = Plan_Sync(
        {Entry("Ann", ""), Entry("Bo", ""), Entry("Ann", "")}, {},
        {Remote(Entry("Ann", "Ann"), "Ann", "\"1\""), Remote(Entry("Bo", "Bo"), "Bo", "\"2\"")},
        Calendar, decider.Function(), by_name);
    EXPECT_EQ(Names(plan), (std::vector<std::string>{"Ann", "Bo", "Ann"}));
    EXPECT_EQ(Read_Entry_Uid(plan.Entries[2]), "Ann-2");
    ASSERT_EQ(plan.Puts.size(), 1U) << "only the copy is new";
    EXPECT_EQ(plan.Puts[0].Uid, "Ann-2");
    EXPECT_EQ(plan.Kept.size(), 2U);
    EXPECT_TRUE(decider.asked.empty());
}

}  // namespace
}  // namespace tessaly
