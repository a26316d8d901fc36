#include <gtest/gtest.h>

#include <string>

#include "sync/sync_state.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

Sync_State Sample() {
    Sync_State state;
    state.Calendar_Url = "https://cal.example.org/ann/tessaly/";
    state.Sync_Token = "http://radicale.org/ns/sync/ab;c";
    state.Ctag = "";
    state.Events = {{"uid\twith tab%;", "https://cal.example.org/ann/tessaly/u.ics", "\"etag 1\"",
                     "0123456789abcdef", true, "3-days-before"},
                    {"\xC3\xA9", "https://h/e.ics", "W/\"2\"", "", false, "none"}};
    return state;
}

TEST(CalDAV_State, EveryValueComesBackAsWritten) {
    const std::string text = Encode_Sync_State(Sample());
    EXPECT_TRUE(
        text.starts_with("Tessaly sync 3\ncalendar\thttps://cal.example.org/ann/tessaly/\n"));
    EXPECT_EQ(Decode_Sync_State(text), Sample());
    EXPECT_EQ(Decode_Sync_State(Encode_Sync_State({})), Sync_State{});
}

TEST(CalDAV_State, ADamagedOrForeignStateIsNone) {
    const std::string good = Encode_Sync_State(Sample());
    EXPECT_FALSE(Decode_Sync_State(""));
    EXPECT_FALSE(Decode_Sync_State("Tessaly sync 4" + good.substr(14)));
    EXPECT_FALSE(Decode_Sync_State("Tessaly sync 2" + good.substr(14)))
        << "a version 2 line has no alarm";
    std::string unknown_kind = good;
    unknown_kind.replace(unknown_kind.find("\tother"), 6, "\tmine");
    EXPECT_FALSE(Decode_Sync_State(unknown_kind));
    // Cut short, as by a full disk before the atomic save existed.
    EXPECT_FALSE(Decode_Sync_State(good.substr(0, good.size() - 10)));
    std::string broken = good;
    broken.replace(broken.find("event\t"), 5, "evnt");
    EXPECT_FALSE(Decode_Sync_State(broken));
    EXPECT_FALSE(Decode_Sync_State("Tessaly sync 1\ncalendar\tx\ntoken\t%zz\nctag\t\n"));
    EXPECT_FALSE(
        Decode_Sync_State("Tessaly sync 1\ncalendar\tx\ntoken\tt\nctag\t\nevent\t\tu\te\th\n"));
}

TEST(CalDAV_State, TheSecondVersionIsReadWithoutDefaultAlarms) {
    const auto state = Decode_Sync_State(
        "Tessaly sync "
        "2\ncalendar\tc\ntoken\tt\nctag\t\nevent\tu\thttp://h/u.ics\te\t0a1b\tother\n");
    ASSERT_TRUE(state);
    ASSERT_EQ(state->Events.size(), 1u);
    EXPECT_EQ(state->Events[0].Content_Hash, "0a1b");
    EXPECT_FALSE(state->Events[0].Ours);
    EXPECT_EQ(state->Events[0].Alarm, "none");
}

TEST(CalDAV_State, TheFirstVersionIsReadWithItsHashesMarked) {
    const auto state = Decode_Sync_State(
        "Tessaly sync 1\ncalendar\tc\ntoken\tt\nctag\t\nevent\tu\thttp://h/u.ics\te\t0a1b\n");
    ASSERT_TRUE(state);
    ASSERT_EQ(state->Events.size(), 1u);
    EXPECT_EQ(state->Events[0].Content_Hash, "v1:0a1b");
    EXPECT_TRUE(state->Events[0].Ours);
}

TEST(CalDAV_State, TheFileBesideTheDataFileStartsEmptyAndKeepsWhatIsSaved) {
    test::Temp_Dir folder;
    const auto file = Sync_State_Path(folder.File("Tessaly.dat"));
    EXPECT_EQ(file, folder.File("Tessaly.sync"));
    EXPECT_EQ(Load_Sync_State(file), Sync_State{});
    Save_Sync_State(file, Sample());
    EXPECT_EQ(Load_Sync_State(file), Sample());
    test::Write_Bytes(file, "garbage");
    EXPECT_EQ(Load_Sync_State(file), Sync_State{});
}

}  // namespace
}  // namespace tessaly
