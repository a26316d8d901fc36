#include "desktop/run_keys.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "desktop/auto_run.h"
#include "desktop/fake/fake_auto_start.h"
#include "recording_prompts.h"

namespace tessaly {
namespace {

const std::string Machine_Key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::vector<std::string> Program_Files = {"C:\\Program Files", "C:\\Program Files (x86)"};
// Slashes separate folders on both systems.
const std::string Program = "C:/Program Files/Tessaly/Tessaly.exe";
const std::string Portable = "D:/Tessaly/Tessaly.exe";
// What the key holds for each.
const std::string Program_Value = '"' + Program + '"';
const std::string Portable_Value = '"' + Portable + '"';
const std::string Refused_Text =
    "Windows lets only an administrator change what starts for every user of this PC.\r\nStart "
    "this program with \"Run as administrator\" to change it.";

TEST(Run_Keys, OnlyAProgramUnderProgramFilesStartsForEveryUser) {
    const struct {
        std::string program;
        std::vector<std::string> folders;
        bool every_user;
    } rows[] = {
        {"C:\\Program Files\\Tessaly\\Tessaly.exe", Program_Files, true},
        {"c:\\PROGRAM FILES\\tessaly\\TESSALY.EXE", Program_Files, true},
        {"C:\\Program Files (x86)\\Tessaly\\Tessaly.exe", Program_Files, true},
        {"C:/Program Files/Tessaly/Tessaly.exe", Program_Files, true},
        {"C:\\Program Files\\Tessaly\\Tessaly.exe", {"C:\\Program Files\\"}, true},
        {"C:\\Program Files\\Tessaly\\Tessaly.exe", {"C:/Program Files"}, true},
        // A folder whose name only begins like it.
        {"C:\\Program Files (x86)\\Tessaly\\Tessaly.exe", {"C:\\Program Files"}, false},
        {"C:\\Program FilesX\\Tessaly.exe", Program_Files, false},
        {"D:\\Program Files\\Tessaly\\Tessaly.exe", Program_Files, false},
        // A per-user install and a copy in one user's folders.
        {"C:\\Users\\nora\\AppData\\Local\\Programs\\Tessaly\\Tessaly.exe", Program_Files, false},
        {"C:\\Users\\nora\\Downloads\\Tessaly\\Tessaly.exe", Program_Files, false},
        {"E:\\Tessaly.exe", Program_Files, false},
        {"C:\\Program Files", Program_Files, false},
        {"C:\\Program Files\\Tessaly\\Tessaly.exe", {}, false},
        {"C:\\Program Files\\Tessaly\\Tessaly.exe", {""}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.program);
        EXPECT_EQ(Starts_For_Every_User(row.program, row.folders), row.every_user);
    }
}

TEST(Run_Keys, StartUpSwitchIsOffExactlyWhenItsFirstByteIsOdd) {
    const struct {
        std::string bytes;
        bool off;
    } rows[] = {
        {"", false},
        {std::string("\x02\0\0\0\0\0\0\0\0\0\0\0", 12), false},
        {std::string("\x06\0\0\0", 4), false},
        {std::string("\0", 1), false},
        {std::string("\x03\0\0\0\x10\x20\x30\x40\x50\x60\x70\x80", 12), true},
        {"\x07", true},
        {"\x01", true},
        {"\xff", true},
        {"\xfe\x01", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.bytes));
        EXPECT_EQ(Startup_Approved_Is_Off(row.bytes), row.off);
    }
    EXPECT_EQ(Startup_Approved_On_Bytes(), std::string("\x02\0\0\0\0\0\0\0\0\0\0\0", 12));
}

// The commands over the two keys, the machine's as an ordinary user sees it
// (refusing changes) unless a test says otherwise.
class Run_Keys_Test : public ::testing::Test {
protected:
    Run_Keys_Test() {
        machine->Path = Machine_Key;
        user->Path = "HKEY_CURRENT_USER" + Machine_Key;
        machine->Ignore_Case = true;
        machine->Writable = false;
    }

    // Owned by the keys below, which they are given to.
    Fake_Auto_Start_Entries* machine = new Fake_Auto_Start_Entries;
    Fake_Auto_Start_Entries* user = new Fake_Auto_Start_Entries;
    Machine_Or_User_Run_Keys keys{std::unique_ptr<Auto_Start_Entries>(machine),
                                  std::unique_ptr<Auto_Start_Entries>(user), Program_Files};
    test::Recording_Prompts prompts;
};

TEST_F(Run_Keys_Test, ProgramInstalledForEveryoneNeedsTheMachinesKeyAndSaysWhenRefused) {
    Auto_Run auto_run(keys, prompts, Program);
    EXPECT_FALSE(auto_run.Enable_Auto_Run());
    EXPECT_TRUE(machine->Entries.empty());
    EXPECT_TRUE(user->Entries.empty());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Kind, "error");
    EXPECT_EQ(prompts.shown[0].Text,
              "Failed to set data for 'Tessaly.exe'.\r\n\r\n" + Refused_Text);

    // As an administrator: the machine's key, and no user entry beside it
    // (Windows would start the program twice).
    machine->Writable = true;
    user->Entries["Tessaly.exe"] = Portable_Value;
    EXPECT_TRUE(auto_run.Enable_Auto_Run());
    EXPECT_EQ(machine->Entries.at("Tessaly.exe"), Program_Value);
    EXPECT_TRUE(user->Entries.empty());
    EXPECT_EQ(prompts.shown.back().Text,
              "This program (Tessaly.exe) will now run automatically at Windows Start-Up.");
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());

    // Back as an ordinary user, it cannot be removed either.
    machine->Writable = false;
    EXPECT_FALSE(auto_run.Disable_Auto_Run());
    EXPECT_EQ(prompts.shown.back().Text,
              "Error: The required Registry Key settings \r\ncould not be removed from the "
              "Windows Registry.  \r\n\r\n Error Key   = " +
                  Machine_Key + "\r\n Error Item  = Tessaly.exe\r\n\r\n" + Refused_Text);
    machine->Writable = true;
    EXPECT_TRUE(auto_run.Disable_Auto_Run());
    EXPECT_TRUE(machine->Entries.empty());
    EXPECT_FALSE(auto_run.Check_Auto_Run_Entry());
}

TEST_F(Run_Keys_Test, PortableOrPerUserProgramStartsForItsOwnUserOnly) {
    for (const std::string& program :
         {Portable, std::string("C:/Users/nora/AppData/Local/Programs/Tessaly/Tessaly.exe"),
          std::string("C:/Users/nora/Downloads/Tessaly.exe")}) {
        SCOPED_TRACE(program);
        // Even where the machine's key would take it.
        machine->Writable = true;
        prompts.shown.clear();
        Auto_Run auto_run(keys, prompts, program);
        EXPECT_TRUE(auto_run.Enable_Auto_Run());
        EXPECT_TRUE(machine->Entries.empty());
        EXPECT_EQ(user->Entries.at("Tessaly.exe"), '"' + program + '"');
        // The next start finds it, in any letter case, without a word.
        EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
        EXPECT_EQ(prompts.shown.size(), 1u);
        EXPECT_TRUE(auto_run.Disable_Auto_Run());
        EXPECT_TRUE(user->Entries.empty());
        EXPECT_EQ(prompts.shown.back().Text,
                  "This program (Tessaly.exe) will now no-longer run automatically at Windows "
                  "Start-Up.");
        EXPECT_FALSE(auto_run.Check_Auto_Run_Entry());
    }
}

TEST_F(Run_Keys_Test, MachineEntryOfAnEarlierPlaceIsCorrectedInTheUsersKey) {
    machine->Entries["Tessaly.exe"] = "C:\\Old\\Tessaly.exe";
    Auto_Run auto_run(keys, prompts, Portable);
    prompts.answers = {true};
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].Kind, "warning");
    EXPECT_NE(prompts.shown[0].Text.find(" Old      = C:\\Old\\Tessaly.exe"), std::string::npos);
    EXPECT_EQ(prompts.shown[1].Kind, "information");
    EXPECT_EQ(user->Entries.at("Tessaly.exe"), Portable_Value);
    // The user's entry is the one read from now on: no second warning.
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    EXPECT_EQ(prompts.shown.size(), 2u);

    // The machine's entry would still start a program: no false success.
    EXPECT_FALSE(auto_run.Disable_Auto_Run());
    EXPECT_EQ(machine->Entries.at("Tessaly.exe"), "C:\\Old\\Tessaly.exe");
    EXPECT_TRUE(user->Entries.empty());
    EXPECT_NE(prompts.shown.back().Text.find(Refused_Text), std::string::npos);
}

TEST_F(Run_Keys_Test, ProgramIsWrittenQuotedAndReadBackFromQuotedAndOlderUnquotedValues) {
    machine->Writable = true;
    struct Row {
        std::string Written;  // empty: Stored is put in the user's key as it stands
        std::string Stored;
        std::string Read;
    };
    const Row rows[] = {
        {Program, Program_Value, Program},
        {"C:\\Tessaly\\Tessaly.exe", "\"C:\\Tessaly\\Tessaly.exe\"", "C:\\Tessaly\\Tessaly.exe"},
        {"C:\\Program Files (x86)\\Tessaly 1.0f\\Tessaly.exe",
         "\"C:\\Program Files (x86)\\Tessaly 1.0f\\Tessaly.exe\"",
         "C:\\Program Files (x86)\\Tessaly 1.0f\\Tessaly.exe"},
        // As earlier versions wrote it.
        {"", "C:\\Program Files\\Tessaly\\Tessaly.exe", "C:\\Program Files\\Tessaly\\Tessaly.exe"},
        // Written by hand with an argument after the program.
        {"", "\"C:\\Tessaly\\Tessaly.exe\" /minimised", "C:\\Tessaly\\Tessaly.exe"},
        {"", "\"C:\\Tessaly\\Tessaly.exe", "\"C:\\Tessaly\\Tessaly.exe"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Stored);
        machine->Entries.clear();
        user->Entries.clear();
        if (row.Written.empty()) {
            user->Entries["Tessaly.exe"] = row.Stored;
        } else {
            ASSERT_TRUE(keys.Write_Entry("Tessaly.exe", row.Written));
            auto& written = Starts_For_Every_User(row.Written, Program_Files) ? machine : user;
            EXPECT_EQ(written->Entries.at("Tessaly.exe"), row.Stored);
        }
        EXPECT_EQ(keys.Read_Entry("Tessaly.exe"), row.Read);
    }

    // The machine's entry of an earlier version is this program: no warning.
    user->Entries.clear();
    machine->Entries = {{"Tessaly.exe", Program}};
    Auto_Run auto_run(keys, prompts, Program);
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(Run_Keys_Test, MessagesNameTheMachinesKeyAndAFailedWriteSaysSo) {
    machine->Exists = false;
    EXPECT_TRUE(keys.Key_Exists());
    EXPECT_EQ(keys.Key_Path(), Machine_Key);
    EXPECT_TRUE(keys.Paths_Ignore_Case());

    // A user's key that would not take it gives no reason of its own.
    user->Writable = false;
    Auto_Run auto_run(keys, prompts, Portable);
    EXPECT_FALSE(auto_run.Enable_Auto_Run());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Text, "Failed to set data for 'Tessaly.exe'.");

    user->Exists = false;
    EXPECT_FALSE(auto_run.Enable_Auto_Run());
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(
        prompts.shown[1].Text.rfind("Error: The specified Registry Key for this operation "
                                    "\r\ndoes NOT exist on your PC.  \r\n\r\n Error Key   = " +
                                        Machine_Key,
                                    0),
        0u);
}

}  // namespace
}  // namespace tessaly
