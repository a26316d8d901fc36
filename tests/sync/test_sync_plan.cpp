#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
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
    ASSERT_TRUE(Write_Entry_Attributes(edited_there, {false, 30}));
    const auto deleted_here = Entry("Gone here", "gh");
    const auto deleted_there = Entry("Gone there", "gt");
    const std::vector<Synced_Event> state = {
        Synced(kept, "k", "\"k\""), Synced(Entry("Here before", "h"), "h", "\"h\""),
        Synced(edited_there, "t", "\"t\""), Synced(deleted_here, "gh", "\"gh\""),
        Synced(deleted_there, "gt", "\"gt\"")};
    // The server's edit brings its lead (its alarm) too; the UID stays.
    auto there_after = Entry("There after", "t", "new comment");
    ASSERT_TRUE(Write_Entry_Attributes(there_after, {false, 45}));
    const Sync_Plan plan =
        Plan_Sync({kept, edited_here, edited_there, deleted_there}, state,
                  {Remote(kept, "k", "\"k\""), Remote(Entry("Here before", "h"), "h", "\"h\""),
                   Remote(there_after, "t", "\"t2\""), Remote(deleted_here, "gh", "\"gh\"")},
                  Calendar, decider.Function(), uids.Function());

    EXPECT_EQ(Names(plan), (std::vector<std::string>{"Kept", "Here", "There after"}));
    EXPECT_EQ(plan.Entries[2].Comments, "new comment");
    EXPECT_EQ(Read_Entry_Attributes(plan.Entries[2]).Own_Lead, 45);
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

// A list of `count` entries synced with the server, of which the first
// `gone_here` were deleted from the list and the next `gone_there` from
// the server since.
struct Synced_Sides {
    std::vector<TName_And_Event_Data> local;
    std::vector<Synced_Event> state;
    std::vector<Remote_Event> remote;

    Synced_Sides(int count, int gone_here, int gone_there) {
        for (int i = 0; i < count; ++i) {
            const std::string uid = "u" + std::to_string(i);
            const auto entry = Entry("Name " + std::to_string(i), uid);
            state.push_back(Synced(entry, uid, "\"1\""));
            if (i >= gone_here) {
                local.push_back(entry);
            }
            if (i < gone_here || i >= gone_here + gone_there) {
                remote.push_back(Remote(entry, uid, "\"1\""));
            }
        }
    }
};

TEST(CalDAV_Merge, TheGuardStopsMassDeletionsOnEitherSideAndNoFewDeletions) {
    struct Case {
        int count, gone_here, gone_there;
        bool stops;
    };
    const Case cases[] = {
        {20, 0, 20, true},  // the calendar emptied by another client
        {20, 20, 0, true},  // a lost list (the sync run takes the events instead)
        {52, 51, 0, true},  // a list made anew beside the old state
        {1, 0, 1, true},   {20, 2, 0, false}, {20, 0, 2, false}, {20, 6, 0, true}, {20, 0, 6, true},
        {30, 6, 0, false}, {10, 0, 5, false}, {10, 5, 0, false}, {24, 0, 7, true},
    };
    for (const Case& c : cases) {
        Synced_Sides sides(c.count, c.gone_here, c.gone_there);
        Decider decider;
        Uids uids;
        const Sync_Plan plan = Plan_Sync(sides.local, sides.state, sides.remote, Calendar,
                                         decider.Function(), uids.Function());
        const auto question = Check_Deletions(plan);
        const std::string label = std::to_string(c.count) + " less " + std::to_string(c.gone_here) +
                                  " here, " + std::to_string(c.gone_there) + " there";
        EXPECT_EQ(question.has_value(), c.stops) << label;
        if (question) {
            EXPECT_EQ(question->Deleted_Here, c.gone_there) << label;
            EXPECT_EQ(question->Deleted_There, c.gone_here) << label;
            EXPECT_EQ(question->Local_Count, c.count - c.gone_here) << label;
            EXPECT_EQ(question->Server_Count, c.count - c.gone_there) << label;
        }
        // Keeping everything brings back what either side deleted.
        const Sync_Plan kept =
            Plan_Sync(sides.local, sides.state, sides.remote, Calendar, decider.Function(),
                      uids.Function(), Deletions::Keep_Everything);
        EXPECT_EQ(kept.Entries.size(), static_cast<std::size_t>(c.count)) << label;
        EXPECT_EQ(kept.Puts.size(), static_cast<std::size_t>(c.gone_there)) << label;
        EXPECT_TRUE(kept.Deletes.empty()) << label;
        EXPECT_FALSE(Check_Deletions(kept)) << label;
    }
}

TEST(CalDAV_Merge, AnEventNoLongerOursKeepsTheServersEtagAndIsNeverWrittenOver) {
    Decider decider;
    Uids uids;
    const auto ann = Entry("Ann", "a");
    Remote_Event weekly = Remote(ann, "a", "\"2\"");
    weekly.Read.Reading = Event_Reading::Not_Yearly_All_Day;
    const auto edited = Entry("Ann", "a", "edited here");
    for (const auto& local : {ann, edited}) {
        const Sync_Plan plan = Plan_Sync({local}, {Synced(ann, "a", "\"1\"")}, {weekly}, Calendar,
                                         decider.Function(), uids.Function());
        EXPECT_TRUE(plan.Puts.empty());
        EXPECT_TRUE(plan.Deletes.empty());
        ASSERT_EQ(plan.Kept.size(), 1u);
        EXPECT_EQ(plan.Kept[0].Etag, "\"2\"");
        EXPECT_FALSE(plan.Kept[0].Ours);
        EXPECT_EQ(Names(plan), std::vector<std::string>{"Ann"});
    }
}

TEST(CalDAV_Merge, AnEventTheServerCouldNotGiveIsNeitherDeletedNorTaken) {
    Decider decider;
    Uids uids;
    const auto ann = Entry("Ann", "a");
    const auto bo = Entry("Bo", "b");
    Remote_Event broken;
    broken.Url = Event_Url(Calendar, "a");
    broken.Etag = "\"9\"";
    const Sync_Plan plan = Plan_Sync(
        {ann, bo}, {Synced(ann, "a", "\"1\""), Synced(bo, "b", "\"1\"")},
        {broken, Remote(bo, "b", "\"1\"")}, Calendar, decider.Function(), uids.Function());
    EXPECT_EQ(Names(plan), (std::vector<std::string>{"Ann", "Bo"}));
    EXPECT_TRUE(plan.Puts.empty());
    EXPECT_TRUE(plan.Deletes.empty());
    EXPECT_EQ(plan.Kept.size(), 2u);
    EXPECT_EQ(plan.Removed_By_Server, 0);
}

TEST(CalDAV_Merge, TheHashIsTheEntrysMeaningAndAnOlderStatesHashStillMatches) {
    const auto ann = Entry("Ann", "a");
    std::vector<TName_And_Event_Data> variants(5, ann);
    variants[1].Name = "Anne";
    variants[2].Orig_Date += 1;
    variants[3].Event_Type = "Wedding";
    variants[4].Comments = "x";
    for (std::size_t i = 1; i < variants.size(); ++i) {
        EXPECT_NE(Content_Hash(variants[i]), Content_Hash(ann)) << i;
        EXPECT_FALSE(Has_Content_Hash(variants[i], Content_Hash(ann))) << i;
    }
    // Derived fields and the spare fields' other attributes are no change.
    auto derived = ann;
    derived.Days_Left = 12;
    EXPECT_EQ(Content_Hash(derived), Content_Hash(ann));

    // The first state file hashed the event text; an unchanged entry is no
    // edit after the upgrade, and its hash is replaced.
    char legacy[20];
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : Entry_Event_Content(ann)) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    std::snprintf(legacy, sizeof legacy, "%016llx", static_cast<unsigned long long>(hash));
    Synced_Event old = Synced(ann, "a", "\"1\"");
    old.Content_Hash = std::string(Legacy_Hash_Prefix) + legacy;
    Decider decider;
    Uids uids;
    const Sync_Plan plan = Plan_Sync({ann}, {old}, {Remote(ann, "a", "\"1\"")}, Calendar,
                                     decider.Function(), uids.Function());
    EXPECT_TRUE(plan.Puts.empty());
    ASSERT_EQ(plan.Kept.size(), 1u);
    EXPECT_EQ(plan.Kept[0].Content_Hash, Content_Hash(ann));
}

}  // namespace
}  // namespace tessaly
