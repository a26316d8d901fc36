#include "desktop/run_keys.h"

#include <gtest/gtest.h>

#include <memory>

#include "desktop/auto_run.h"
#include "desktop/fake/fake_auto_start.h"
#include "recording_prompts.h"

namespace tessaly {
namespace {

const std::string Machine_Key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Slashes separate folders on both systems.
const std::string Program = "C:/Program Files/Tessaly/Tessaly.exe";
const std::string Moved = "D:/Tessaly/Tessaly.exe";
// What the key holds for Program.
const std::string Program_Value = '"' + Program + '"';

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
                                  std::unique_ptr<Auto_Start_Entries>(user)};
    test::Recording_Prompts prompts;
    Auto_Run auto_run{keys, prompts, Program};
};

TEST_F(Run_Keys_Test, RefusedMachineKeyTakesTheUsersWithTheSameValueAndMessages) {
    EXPECT_TRUE(auto_run.Enable_Auto_Run());
    EXPECT_TRUE(machine->Entries.empty());
    EXPECT_EQ(user->Entries.at("Tessaly.exe"), Program_Value);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Text,
              "This program (Tessaly.exe) will now run automatically at Windows Start-Up.");

    // The next start finds it, in any letter case, without a word.
    user->Entries["Tessaly.exe"] = "C:/PROGRAM FILES/TESSALY/TESSALY.EXE";
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    EXPECT_EQ(prompts.shown.size(), 1u);

    EXPECT_TRUE(auto_run.Disable_Auto_Run());
    EXPECT_TRUE(user->Entries.empty());
    EXPECT_EQ(prompts.shown.back().Text,
              "This program (Tessaly.exe) will now no-longer run automatically at Windows "
              "Start-Up.");
    EXPECT_FALSE(auto_run.Check_Auto_Run_Entry());
}

TEST_F(Run_Keys_Test, WritableMachineKeyHoldsTheOnlyEntry) {
    machine->Writable = true;
    // Left by a run without the rights: Windows would start the program twice.
    user->Entries["Tessaly.exe"] = Moved;
    EXPECT_TRUE(auto_run.Enable_Auto_Run());
    EXPECT_EQ(machine->Entries.at("Tessaly.exe"), Program_Value);
    EXPECT_TRUE(user->Entries.empty());
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());

    EXPECT_TRUE(auto_run.Disable_Auto_Run());
    EXPECT_TRUE(machine->Entries.empty());
    EXPECT_FALSE(auto_run.Check_Auto_Run_Entry());
}

TEST_F(Run_Keys_Test, MachineEntryOfAMovedProgramIsCorrectedInTheUsersKey) {
    machine->Entries["Tessaly.exe"] = Moved;
    prompts.answers = {true};
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].Kind, "warning");
    EXPECT_NE(prompts.shown[0].Text.find(" Old      = " + Moved), std::string::npos);
    EXPECT_EQ(prompts.shown[1].Kind, "information");
    EXPECT_EQ(user->Entries.at("Tessaly.exe"), Program_Value);
    // The user's entry is the one read from now on: no second warning.
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    EXPECT_EQ(prompts.shown.size(), 2u);

    // The machine's entry would still start the program: no false success.
    EXPECT_FALSE(auto_run.Disable_Auto_Run());
    EXPECT_EQ(machine->Entries.at("Tessaly.exe"), Moved);
    EXPECT_TRUE(user->Entries.empty());
    EXPECT_EQ(prompts.shown.back().Text,
              "Error: The required Registry Key settings \r\ncould not be removed from the "
              "Windows Registry.  \r\n\r\n Error Key   = " +
                  Machine_Key +
                  "\r\n Error Item  = Tessaly.exe\r\n\r\nPlease contact the "
                  "program's author.");
}

TEST_F(Run_Keys_Test, ProgramIsWrittenQuotedAndReadBackFromQuotedAndOlderUnquotedValues) {
    struct Row {
        std::string Written;  // empty: Stored is put in the key as it stands
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
        if (row.Written.empty()) {
            user->Entries["Tessaly.exe"] = row.Stored;
        } else {
            ASSERT_TRUE(keys.Write_Entry("Tessaly.exe", row.Written));
            EXPECT_EQ(user->Entries.at("Tessaly.exe"), row.Stored);
        }
        EXPECT_EQ(keys.Read_Entry("Tessaly.exe"), row.Read);
    }

    // The machine's entry of an earlier version is this program: no warning.
    user->Entries.clear();
    machine->Entries["Tessaly.exe"] = Program;
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    EXPECT_TRUE(prompts.shown.empty());
    // Enabling checks what it wrote by reading it back.
    machine->Writable = true;
    EXPECT_TRUE(auto_run.Enable_Auto_Run());
    EXPECT_EQ(machine->Entries.at("Tessaly.exe"), Program_Value);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Kind, "information");
}

TEST_F(Run_Keys_Test, MessagesNameTheMachinesKeyAndBothMissingIsAMissingKey) {
    machine->Exists = false;
    EXPECT_TRUE(keys.Key_Exists());
    EXPECT_EQ(keys.Key_Path(), Machine_Key);
    EXPECT_TRUE(keys.Paths_Ignore_Case());

    user->Exists = false;
    EXPECT_FALSE(auto_run.Enable_Auto_Run());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(
        prompts.shown[0].Text.rfind("Error: The specified Registry Key for this operation "
                                    "\r\ndoes NOT exist on your PC.  \r\n\r\n Error Key   = " +
                                        Machine_Key,
                                    0),
        0u);
}

TEST_F(Run_Keys_Test, NeitherKeyTakingTheEntryIsTheWriteFailure) {
    user->Writable = false;
    EXPECT_FALSE(auto_run.Enable_Auto_Run());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Text, "Failed to set data for 'Tessaly.exe'.");
}

}  // namespace
}  // namespace tessaly
