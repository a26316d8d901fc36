#include "desktop/shortcuts.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "desktop/fake/fake_file_routines.h"
#include "desktop/fake/fake_shell_folders.h"
#include "recording_prompts.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

const std::string Found_None =
    "No Desktop, Start Menu, or SendTo shortcuts called \"tessaly\" could be found !  i.e. they "
    "may have been renamed to something else or deleted already.";
const std::string Deleted_Some =
    "Success: All Desktop, Start Menu, and SendTo shortcuts to \"tessaly\" have been deleted.";

class Shortcuts_Test : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"Desktop", "Start Menu", "SendTo"}) {
            fs::create_directories(dir.File(name));
            shell.Folders[name] = dir.File(name);
        }
    }

    fs::path Shortcut_In(const std::string& folder) const {
        return dir.File(folder) / "tessaly.desktop";
    }

    test::Temp_Dir dir;
    const fs::path program = "/opt/tessaly/tessaly";
    Fake_Shell_Folders shell;
    Fake_File_Routines files;
    test::Recording_Prompts prompts;
    Shortcuts shortcuts{shell, files, prompts};
};

TEST_F(Shortcuts_Test, ShortcutIsNamedAfterTheExecutableAndASecondReplacesTheFirst) {
    shortcuts.Create_Shortcut(program, "Desktop", "");
    shortcuts.Create_Shortcut(program, "Desktop", "");
    EXPECT_EQ(shell.Saves, 2);
    ASSERT_EQ(shell.Saved.size(), 1u);
    EXPECT_EQ(shell.Saved.begin()->first, Shortcut_In("Desktop"));
    EXPECT_EQ(shell.Saved.begin()->second, program);
    EXPECT_TRUE(prompts.shown.empty());

    shell.Extension = ".lnk";
    EXPECT_EQ(shortcuts.Shortcut_File_Name("/apps/Tessaly.EXE"), "Tessaly.lnk");
    EXPECT_EQ(Shortcuts::Base_Name("Tessaly.EXE"), "Tessaly");
    // The extension text goes wherever it stands, as the deletion looks for it.
    EXPECT_EQ(Shortcuts::Base_Name("a.EXEb.EXE"), "ab");
    EXPECT_EQ(Shortcuts::Base_Name("Tessaly.exe.EXE"), "Tessaly.exe");
    EXPECT_EQ(Shortcuts::Base_Name("/opt/tessaly/tessaly"), "tessaly");
}

TEST_F(Shortcuts_Test, MissingOrUnknownFolderGivesTheKeyMessageAndWritesNothing) {
    shell.Folders.erase("SendTo");
    shortcuts.Create_Shortcut(program, "SendTo", "");
    shell.Folders["Favourites"] = dir.Path();
    shortcuts.Create_Shortcut(program, "Favourites", "");
    shell.Folders["SendTo"] = "";
    shortcuts.Create_Shortcut(program, "SendTo", "");
    EXPECT_EQ(shell.Saves, 0);
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[0].Kind, "information");
    EXPECT_EQ(prompts.shown[0].Text,
              "REGISTRY_INC__Create_Shortcut Error: The key \"SendTo\" is invalid or could not be "
              "found in the registry.");
    EXPECT_EQ(prompts.shown[1].Text,
              "REGISTRY_INC__Create_Shortcut Error: The key \"Favourites\" is invalid or could "
              "not be found in the registry.");
}

TEST_F(Shortcuts_Test, ShortcutThatCouldNotStartTheProgramIsRefusedWithTheReason) {
    shell.Unstartable = "desktops cannot start a program whose path is not UTF-8 text";
    shortcuts.Create_Shortcut(program, "Start Menu", "");
    EXPECT_EQ(shell.Saves, 0);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Kind, "error");
    EXPECT_EQ(prompts.shown[0].Text,
              "Error: No shortcut was created in \"Start Menu\": desktops cannot start a program "
              "whose path is not UTF-8 text.\r\n\r\n Path = /opt/tessaly/tessaly\r\n\r\nMove "
              "the program to another folder and try again.");
}

TEST_F(Shortcuts_Test, ProgramsSubFolderIsUsedOnlyWhereItExists) {
    shortcuts.Create_Shortcut(program, "Start Menu", "Programs");
    EXPECT_EQ(shell.Saves, 0);
    EXPECT_FALSE(fs::exists(dir.File("Start Menu/Programs")));
    EXPECT_TRUE(prompts.shown.empty());

    fs::create_directories(dir.File("Start Menu/Programs"));
    shortcuts.Create_Shortcut(program, "Start Menu", "Programs");
    EXPECT_TRUE(fs::exists(dir.File("Start Menu/Programs/tessaly.desktop")));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(Shortcuts_Test, DeleteAllRemovesEachOnceAndThenFindsNone) {
    shortcuts.Create_Shortcut(program, "Desktop", "");
    shortcuts.Create_Shortcut(program, "SendTo", "");
    fs::create_directories(dir.File("Start Menu/Programs"));
    shortcuts.Create_Shortcut(program, "Start Menu", "Programs");

    shortcuts.Delete_All_Shortcuts(program);
    EXPECT_FALSE(fs::exists(Shortcut_In("Desktop")));
    EXPECT_FALSE(fs::exists(Shortcut_In("SendTo")));
    // The Programs shortcut is never deleted.
    EXPECT_TRUE(fs::exists(dir.File("Start Menu/Programs/tessaly.desktop")));
    shortcuts.Delete_All_Shortcuts(program);

    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].Text, Deleted_Some);
    EXPECT_EQ(prompts.shown[1].Text, Found_None);
    // Only files that are there are handed to the guarded delete.
    EXPECT_EQ(files.Deleted.size(), 2u);
}

TEST_F(Shortcuts_Test, RenamedHeldOpenOrUnlocatedShortcutsAreNotDeleted) {
    test::Write_Bytes(dir.File("Desktop/tessaly (copy).desktop"), "x");
    test::Write_Bytes(Shortcut_In("SendTo"), "x");
    files.Held_Open.insert(Shortcut_In("SendTo"));
    // Without a real folder the deletion looks nowhere.
    shell.Folders.erase("Start Menu");
    test::Write_Bytes(dir.File("tessaly.desktop"), "x");

    shortcuts.Delete_All_Shortcuts(program);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Text, Found_None);
    EXPECT_TRUE(fs::exists(dir.File("Desktop/tessaly (copy).desktop")));
    EXPECT_TRUE(fs::exists(Shortcut_In("SendTo")));
    EXPECT_TRUE(fs::exists(dir.File("tessaly.desktop")));
}

TEST_F(Shortcuts_Test, ReadOnlyShortcutIsMadeWritableAndDeleted) {
    shortcuts.Create_Shortcut(program, "Start Menu", "");
    fs::permissions(Shortcut_In("Start Menu"), fs::perms::owner_read);
    EXPECT_TRUE(shortcuts.Delete_Shortcut(program, "Start Menu"));
    EXPECT_FALSE(fs::exists(Shortcut_In("Start Menu")));
    EXPECT_FALSE(shortcuts.Delete_Shortcut(program, "Start Menu"));
    EXPECT_FALSE(shortcuts.Delete_Shortcut(program, "Programs"));
}

}  // namespace
}  // namespace tessaly
