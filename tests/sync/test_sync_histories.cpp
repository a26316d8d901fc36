#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "sync/event_resource.h"
#include "sync/sync_run.h"
#include "test_support/memory_caldav_server.h"
#include "test_support/sample_entries.h"
#include "test_support/sync_history.h"

namespace tessaly {
namespace {

// The bytes of a history seeded as the test names it: the engine's output is
// the same on every platform.
std::string Random_History(unsigned seed) {
    std::mt19937 engine(seed);
    const std::size_t length = 10 + engine() % (4 * test::Most_History_Steps);
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i) {
        bytes += static_cast<char>(engine() & 0xFF);
    }
    return bytes;
}

// A shorter history that fails as well, found by leaving out runs of bytes
// while it still fails: what a report of the fault shows.
std::string Shrunk(std::string bytes) {
    for (std::size_t run = 8; run > 0; run /= 2) {
        for (std::size_t at = 0; at + run <= bytes.size();) {
            std::string shorter = bytes;
            shorter.erase(at, run);
            if (test::Run_Sync_History(shorter).Failure) {
                bytes = std::move(shorter);
            } else {
                at += run;
            }
        }
    }
    return bytes;
}

std::string Hex(const std::string& bytes) {
    static constexpr const char* Digits = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += Digits[byte >> 4];
        hex += Digits[byte & 0xF];
    }
    return hex;
}

TEST(Sync_Histories, EveryRandomHistoryEndsAgreedAndLosesNoEntryNobodyDeleted) {
    constexpr unsigned Histories = 300;
    for (unsigned seed = 1; seed <= Histories; ++seed) {
        const std::string bytes = Random_History(seed);
        if (!test::Run_Sync_History(bytes).Failure) {
            continue;
        }
        const std::string shortest = Shrunk(bytes);
        const auto result = test::Run_Sync_History(shortest);
        ADD_FAILURE() << "seed " << seed << ", shortest history " << Hex(shortest) << ": "
                      << result.Failure.value_or("(fails only unshrunk)") << "\n"
                      << result.Trace;
        break;
    }
}

std::vector<std::string> Contents(const std::vector<TName_And_Event_Data>& list) {
    std::vector<std::string> contents;
    for (const auto& entry : list) {
        contents.push_back(Entry_Event_Content(entry));
    }
    std::sort(contents.begin(), contents.end());
    return contents;
}

// The shortest history the property found failing: a list lost and begun
// anew, whose sync is answered "keep everything", must take back the entries
// the server still has, though this sync did not read them (the calendar
// did not change since the last sync).
TEST(Sync_Histories, KeepingEverythingAfterALostListTakesBackTheEntriesThemselves) {
    test::Memory_CalDAV_Server server;
    CalDAV_Client client(server);
    const std::string calendar = test::Memory_CalDAV_Server::Calendar_Url;
    const auto stamp = std::chrono::sys_seconds{std::chrono::hours{24 * 20795}};
    const auto keep_both = [](const Sync_Conflict&) { return Conflict_Choice::Keep_Both; };
    const auto kept = test::List_Of({{"Ann", 1980, 6, 18, "Birthday", "kept"}}).At(1);
    const auto added = test::List_Of({{"Bo", 1950, 1, 1, "Birthday", ""}}).At(1);

    const Sync_Outcome first = Run_Sync(client, calendar, {kept}, {}, keep_both, stamp);
    ASSERT_EQ(first.Sent, 1);
    bool asked = false;
    Sync_Run_Options options;
    options.Ask_Deletions = [&asked](const Deletion_Question&) {
        asked = true;
        return Deletion_Choice::Keep_Everything;
    };
    const Sync_Outcome second =
        Run_Sync(client, calendar, {added}, first.State, keep_both, stamp, options);
    EXPECT_TRUE(asked) << "every event of the calendar would have been deleted";
    EXPECT_EQ(Contents(second.Entries), Contents({kept, added}));
    EXPECT_EQ(server.Events().size(), 2U);
}

}  // namespace
}  // namespace tessaly
