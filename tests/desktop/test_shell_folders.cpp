#include "desktop/shell_folders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "desktop/linux/linux_services.h"
#include "desktop/linux/linux_shell_folders.h"
#include "desktop_entry_check.h"
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
    EXPECT_EQ(shell->Folder("Desktop"), home.File("Desktop"));

    fs::create_directories(home.File(".config"));
    test::Write_Bytes(home.File(".config/user-dirs.dirs"), "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
    EXPECT_EQ(shell->Folder("Desktop"), home.File("Bureau"));

    // A config folder of its own takes the place of ~/.config.
    test::Temp_Dir config_folder;
    test::Write_Bytes(config_folder.File("user-dirs.dirs"), "XDG_DESKTOP_DIR=\"/srv/desk\"\n");
    test::Scoped_Environment own{"XDG_CONFIG_HOME", config_folder.Path().string()};
    EXPECT_EQ(shell->Folder("Desktop"), fs::path("/srv/desk"));
}

TEST_F(Linux_Shell_Folders_Test, StartMenuIsTheApplicationsFolderAndSendToNeedsItsFolder) {
    EXPECT_EQ(shell->Folder("Start Menu"), home.File(".local/share/applications"));
    {
        test::Scoped_Environment own{"XDG_DATA_HOME", "/srv/data"};
        EXPECT_EQ(shell->Folder("Start Menu"), fs::path("/srv/data/applications"));
    }
    {
        // Relative values are not to be used.
        test::Scoped_Environment relative{"XDG_DATA_HOME", "data"};
        EXPECT_EQ(shell->Folder("Start Menu"), home.File(".local/share/applications"));
    }
    EXPECT_FALSE(shell->Folder("SendTo").has_value());
    fs::create_directories(home.File(".local/share/Thunar/sendto"));
    EXPECT_EQ(shell->Folder("SendTo"), home.File(".local/share/Thunar/sendto"));
    EXPECT_FALSE(shell->Folder("Programs").has_value());
    EXPECT_FALSE(shell->Folder("").has_value());
    EXPECT_EQ(shell->Shortcut_Extension(), ".desktop");
}

TEST_F(Linux_Shell_Folders_Test, WithoutAHomeThereAreNoFolders) {
    test::Scoped_Environment no_home{"HOME", std::nullopt};
    EXPECT_FALSE(shell->Folder("Desktop").has_value());
    EXPECT_FALSE(shell->Folder("Start Menu").has_value());
}

TEST_F(Linux_Shell_Folders_Test, DesktopLauncherIsAValidExecutableEntryThatStartsTheProgram) {
    const fs::path program = "/opt/My Apps/tessaly";
    const fs::path launcher = home.File("Desktop/tessaly.desktop");
    // A fresh account may not have the folder yet.
    ASSERT_TRUE(shell->Save_Shortcut(launcher, program));
    ASSERT_TRUE(shell->Save_Shortcut(launcher, program));

    const std::string text = test::Read_Bytes(launcher);
    EXPECT_EQ(text,
              "[Desktop Entry]\nType=Application\nName=tessaly\nExec=\"/opt/My "
              "Apps/tessaly\"\nIcon=org.example.Tessaly\n");
    if (const auto complaints = test::Desktop_File_Complaints(launcher)) {
        EXPECT_EQ(*complaints, "");
    }
    EXPECT_EQ((fs::status(launcher).permissions() & fs::perms::owner_exec), fs::perms::owner_exec);

    // A menu entry is not made executable.
    const fs::path menu_entry = home.File(".local/share/applications/tessaly.desktop");
    ASSERT_TRUE(shell->Save_Shortcut(menu_entry, program));
    EXPECT_EQ((fs::status(menu_entry).permissions() & fs::perms::owner_exec), fs::perms::none);
}

// An entry file is UTF-8 text; and launchers built on GLib look for the
// program under its Exec spelling ("%%"), so they never start it.
TEST_F(Linux_Shell_Folders_Test, ShortcutToAPathNoDesktopCanStartIsRefused) {
    const fs::path launcher = home.File("Desktop/tessaly.desktop");
    for (const char* program : {"/opt/100%/tessaly", "/opt/caf\xE9/tessaly"}) {
        SCOPED_TRACE(program);
        EXPECT_NE(shell->Unstartable_Reason(program), std::nullopt);
        EXPECT_FALSE(shell->Save_Shortcut(launcher, program));
        EXPECT_FALSE(fs::exists(launcher));
    }
    EXPECT_EQ(shell->Unstartable_Reason("/opt/caf\xC3\xA9 $HOME \"x\"/tessaly"), std::nullopt);
}

TEST_F(Linux_Shell_Folders_Test, ShortcutThatCannotBeWrittenFails) {
    test::Write_Bytes(home.File("blocked"), "x");
    EXPECT_FALSE(shell->Save_Shortcut(home.File("blocked/tessaly.desktop"), "/opt/t"));
}

}  // namespace
}  // namespace tessaly
