#include "desktop/shell_folders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "desktop/fake/fake_shell_folders.h"
#include "desktop/linux/linux_services.h"
#include "desktop/linux/linux_shell_folders.h"
#include "desktop_test_support.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

TEST(Shell_Folders, UserDirsValuesAreHomeRelativeOrAbsoluteAndTheLastOneCounts) {
    const fs::path home = "/home/ann";
    EXPECT_EQ(
        detail::Xdg_User_Dir("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", "XDG_DESKTOP_DIR", home),
        fs::path("/home/ann/Schreibtisch"));
    EXPECT_EQ(detail::Xdg_User_Dir("# comment\nXDG_DESKTOP_DIR=\"/srv/desk\"\r\n",
                                   "XDG_DESKTOP_DIR", home),
              fs::path("/srv/desk"));
    EXPECT_EQ(detail::Xdg_User_Dir("XDG_DESKTOP_DIR=\"$HOME\"\n", "XDG_DESKTOP_DIR", home), home);
    EXPECT_EQ(detail::Xdg_User_Dir("XDG_DESKTOP_DIR=\"$HOME/a\"\nXDG_DESKTOP_DIR=\"$HOME/b\"\n",
                                   "XDG_DESKTOP_DIR", home),
              fs::path("/home/ann/b"));
}

TEST(Shell_Folders, UserDirsLinesOfOtherKeysOrOtherFormsAreIgnored) {
    const fs::path home = "/home/ann";
    for (const char* text :
         {"", "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n", "XDG_DESKTOP_DIRS=\"$HOME/x\"\n",
          "# XDG_DESKTOP_DIR=\"$HOME/x\"\n", "XDG_DESKTOP_DIR=$HOME/unquoted\n",
          "XDG_DESKTOP_DIR=\"relative/x\"\n", "XDG_DESKTOP_DIR=\"$HOMEx\"\n"}) {
        EXPECT_FALSE(detail::Xdg_User_Dir(text, "XDG_DESKTOP_DIR", home).has_value()) << text;
    }
}

class Linux_Shell_Folders_Test : public ::testing::Test {
protected:
    test::Temp_Dir home;
    test::Scoped_Environment home_variable{"HOME", home.Path().string()};
    test::Scoped_Environment config{"XDG_CONFIG_HOME", std::nullopt};
    test::Scoped_Environment data{"XDG_DATA_HOME", std::nullopt};
    std::unique_ptr<Shell_Folders> shell = Make_Linux_Shell_Folders();
};

TEST_F(Linux_Shell_Folders_Test, DesktopComesFromTheUserDirsFileOrDefaultsToHomeDesktop) {
    EXPECT_EQ(shell->Folder(Shell_Folder::Desktop), home.File("Desktop"));

    fs::create_directories(home.File(".config"));
    test::Write_Bytes(home.File(".config/user-dirs.dirs"), "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
    EXPECT_EQ(shell->Folder(Shell_Folder::Desktop), home.File("Bureau"));

    // A config folder of its own takes the place of ~/.config.
    test::Temp_Dir config_folder;
    test::Write_Bytes(config_folder.File("user-dirs.dirs"), "XDG_DESKTOP_DIR=\"/srv/desk\"\n");
    test::Scoped_Environment own{"XDG_CONFIG_HOME", config_folder.Path().string()};
    EXPECT_EQ(shell->Folder(Shell_Folder::Desktop), fs::path("/srv/desk"));
}

TEST_F(Linux_Shell_Folders_Test, ProgramsIsTheApplicationsFolderAndTheRestIsNotAvailable) {
    EXPECT_EQ(shell->Folder(Shell_Folder::Programs), home.File(".local/share/applications"));
    {
        test::Scoped_Environment own{"XDG_DATA_HOME", "/srv/data"};
        EXPECT_EQ(shell->Folder(Shell_Folder::Programs), fs::path("/srv/data/applications"));
    }
    {
        // Relative values are not to be used.
        test::Scoped_Environment relative{"XDG_DATA_HOME", "data"};
        EXPECT_EQ(shell->Folder(Shell_Folder::Programs), home.File(".local/share/applications"));
    }
    EXPECT_FALSE(shell->Folder(Shell_Folder::Start_Menu).has_value());
    EXPECT_FALSE(shell->Folder(Shell_Folder::Send_To).has_value());
    EXPECT_FALSE(shell->Save_Shortcut(home.File("Desktop/Tessaly.desktop"), Shortcut{}));
    EXPECT_FALSE(fs::exists(home.File("Desktop/Tessaly.desktop")));
}

TEST_F(Linux_Shell_Folders_Test, WithoutAHomeThereAreNoFolders) {
    test::Scoped_Environment no_home{"HOME", std::nullopt};
    EXPECT_FALSE(shell->Folder(Shell_Folder::Desktop).has_value());
    EXPECT_FALSE(shell->Folder(Shell_Folder::Programs).has_value());
}

TEST_F(Linux_Shell_Folders_Test, DeletingAShortcutIsTheSafeDelete) {
    const fs::path file = home.File("Tessaly.desktop");
    test::Write_Bytes(file, "x");
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_TRUE(shell->Delete_File_Safely(file));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(shell->Delete_File_Safely(file));
}

TEST(Shell_Folders, FakeRecordsShortcutsAndDeletes) {
    Fake_Shell_Folders shell;
    shell.Folders[Shell_Folder::Desktop] = "/desk";
    EXPECT_EQ(shell.Folder(Shell_Folder::Desktop), fs::path("/desk"));
    EXPECT_FALSE(shell.Folder(Shell_Folder::Send_To).has_value());
    EXPECT_TRUE(shell.Save_Shortcut("/desk/T.lnk", {"/opt/t", "-x", "/opt", "Tessaly"}));
    ASSERT_EQ(shell.Saved.count("/desk/T.lnk"), 1u);
    EXPECT_EQ(shell.Saved["/desk/T.lnk"].Arguments, "-x");
    EXPECT_TRUE(shell.Delete_File_Safely("/desk/T.lnk"));
    EXPECT_FALSE(shell.Delete_File_Safely("/desk/T.lnk"));
    EXPECT_EQ(shell.Deleted.size(), 2u);
}

}  // namespace
}  // namespace tessaly
