#include "desktop/auto_run.h"

#include <gtest/gtest.h>

#include "desktop/fake/fake_auto_start.h"
#include "recording_prompts.h"

namespace tessaly {
namespace {

const std::string Key = "/home/user/.config/autostart";
const std::string Program = "/opt/Tessaly Reminder/tessaly";

std::string Key_Lines(const std::string& name) {
    return "\r\n\r\n Error Key   = " + Key + "\r\n Error Item  = " + name + "\r\n";
}

class Auto_Run_Test : public ::testing::Test {
protected:
    Fake_Auto_Start_Entries entries;
    test::Recording_Prompts prompts;
    Auto_Run auto_run{entries, prompts, Program};
};

TEST_F(Auto_Run_Test, EnableWritesThePathUnquotedAndSaysSo) {
    EXPECT_TRUE(auto_run.Enable_Auto_Run());
    EXPECT_EQ(entries.Entries.at("tessaly"), Program);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Kind, "information");
    EXPECT_EQ(prompts.shown[0].Text,
              "This program (tessaly) will now run automatically at Windows Start-Up.");

    EXPECT_TRUE(auto_run.Disable_Auto_Run());
    EXPECT_TRUE(entries.Entries.empty());
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].Text,
              "This program (tessaly) will now no-longer run automatically at Windows Start-Up.");
}

TEST_F(Auto_Run_Test, DisableWithoutAnEntryIsNoError) {
    EXPECT_TRUE(auto_run.Disable_Auto_Run());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Kind, "information");
}

TEST_F(Auto_Run_Test, MissingStoreGivesTheKeyMessagesAndWritesNothing) {
    entries.Exists = false;
    EXPECT_FALSE(auto_run.Enable_Auto_Run());
    EXPECT_FALSE(auto_run.Disable_Auto_Run());
    EXPECT_TRUE(entries.Entries.empty());
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].Kind, "error");
    EXPECT_EQ(prompts.shown[0].Text,
              "Error: The specified Registry Key for this operation \r\ndoes NOT exist on your "
              "PC.  " +
                  Key_Lines("tessaly") + " Error Value = " + Program +
                  "\r\n\r\nPlease contact the program's author.");
    EXPECT_EQ(prompts.shown[1].Text,
              "Error: The specified Registry Key for this operation \r\ndoes NOT exist on your "
              "PC.  " +
                  Key_Lines("tessaly") + "\r\nPlease contact the program's author.");
}

TEST_F(Auto_Run_Test, WriteThatDoesNotReadBackAndDeleteThatDoesNotTakeAreReported) {
    entries.Stored_Instead = "/elsewhere/tessaly";
    EXPECT_FALSE(auto_run.Enable_Auto_Run());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Text,
              "Error: The required settings could not be created \r\nor saved in the Windows "
              "Registry.  " +
                  Key_Lines("tessaly") + " Error Value = " + Program +
                  "\r\n\r\nPlease contact the program's author.");

    entries.Keeps_Deleted = true;
    EXPECT_FALSE(auto_run.Disable_Auto_Run());
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].Text,
              "Error: The required Registry Key settings \r\ncould not be removed from the "
              "Windows Registry.  " +
                  Key_Lines("tessaly") + "\r\nPlease contact the program's author.");
}

TEST_F(Auto_Run_Test, StoreThatRefusesWritesGivesTheWriteFailureAlone) {
    entries.Writable = false;
    EXPECT_FALSE(auto_run.Enable_Auto_Run());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Kind, "error");
    EXPECT_EQ(prompts.shown[0].Text, "Failed to set data for 'tessaly'.");

    // A refused delete leaves the entry, and says so instead of a success.
    entries.Entries["tessaly"] = Program;
    EXPECT_FALSE(auto_run.Disable_Auto_Run());
    EXPECT_EQ(entries.Entries.count("tessaly"), 1u);
    EXPECT_NE(prompts.shown.back().Text.find("could not be removed"), std::string::npos);
}

TEST_F(Auto_Run_Test, StartUpCheckFindsOnlyTheEntryOfThisExecutablesName) {
    EXPECT_FALSE(auto_run.Check_Auto_Run_Entry());
    entries.Entries["tessaly.old"] = Program;
    EXPECT_FALSE(auto_run.Check_Auto_Run_Entry());
    entries.Entries["tessaly"] = Program;
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(Auto_Run_Test, PathsDifferingInCaseMatchOnlyWhereTheSystemIgnoresCase) {
    entries.Entries["tessaly"] = "/OPT/tessaly reminder/TESSALY";
    entries.Ignore_Case = true;
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    EXPECT_TRUE(prompts.shown.empty());

    entries.Ignore_Case = false;
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Kind, "warning");
}

TEST_F(Auto_Run_Test, MovedProgramIsOfferedACorrection) {
    const std::string old_path = "/usr/local/bin/tessaly";
    entries.Entries["tessaly"] = old_path;
    const std::string warning =
        "The directory / path settings required to make this program (tessaly)\r\nrun "
        "automatically at Windows Start-up do not match where the program \r\nis currently being "
        "run from.\r\n\r\n Old      = " +
        old_path + "\r\n Current = " + Program +
        "\r\n\r\nDo you want to update the Windows Registry to reflect the programs current "
        "locaton ?";

    // No keeps the old entry; it still exists, so the mark is set.
    prompts.answers = {false};
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Text, warning);
    EXPECT_EQ(entries.Entries.at("tessaly"), old_path);

    // Yes rewrites it and says so.
    prompts.answers = {true};
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    EXPECT_EQ(entries.Entries.at("tessaly"), Program);
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[2].Text,
              "This program (tessaly) will now run automatically at Windows Start-Up.");

    // A failed rewrite still leaves an entry: the mark stays set.
    entries.Entries["tessaly"] = old_path;
    entries.Writable = false;
    prompts.answers = {true};
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    EXPECT_EQ(prompts.shown.back().Text, "Failed to set data for 'tessaly'.");
}

TEST_F(Auto_Run_Test, ProgramNoEntryCouldStartIsRefusedWithTheReason) {
    entries.Unstartable = "desktops cannot start a program whose path holds \"%\"";
    const std::string refusal =
        "Error: This program (tessaly) cannot run automatically at start-up from where it is: "
        "desktops cannot start a program whose path holds \"%\".\r\n\r\n Path = " +
        Program + "\r\n\r\nMove the program to another folder and try again.";
    EXPECT_FALSE(auto_run.Enable_Auto_Run());
    EXPECT_TRUE(entries.Entries.empty());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Kind, "error");
    EXPECT_EQ(prompts.shown[0].Text, refusal);

    // Nor is the entry of a moved program corrected to it.
    entries.Entries["tessaly"] = "/usr/local/bin/tessaly";
    prompts.answers = {true};
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    EXPECT_EQ(entries.Entries.at("tessaly"), "/usr/local/bin/tessaly");
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[2].Text, refusal);
}

TEST(Registry_Routines, ReadIsEmptyForAMissingValueOrStore) {
    Fake_Auto_Start_Entries entries;
    EXPECT_EQ(Read_Registry_String(entries, "tessaly"), "");
    entries.Entries["tessaly"] = "/a";
    EXPECT_EQ(Read_Registry_String(entries, "tessaly"), "/a");
    entries.Exists = false;
    EXPECT_EQ(Read_Registry_String(entries, "tessaly"), "");
}

}  // namespace
}  // namespace tessaly
