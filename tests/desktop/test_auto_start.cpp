#include "desktop/auto_start.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "desktop/linux/desktop_entry.h"
#include "desktop/linux/linux_services.h"
#include "desktop_entry_check.h"
#include "desktop_test_support.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

class Linux_Auto_Start_Test : public ::testing::Test {
protected:
    fs::path Entry_File(const std::string& name) const {
        return home.File(".config/autostart/" + name + ".desktop");
    }

    test::Temp_Dir home;
    test::Scoped_Environment home_variable{"HOME", home.Path().string()};
    test::Scoped_Environment config{"XDG_CONFIG_HOME", std::nullopt};
    std::unique_ptr<Auto_Start_Entries> entries = Make_Linux_Auto_Start_Entries();
};

TEST_F(Linux_Auto_Start_Test, EntryIsAValidDesktopEntryInTheAutostartFolderMadeWhenMissing) {
    EXPECT_EQ(entries->Key_Path(), home.File(".config/autostart").string());
    EXPECT_FALSE(fs::exists(home.File(".config")));
    EXPECT_EQ(entries->Read_Entry("tessaly"), std::nullopt);
    ASSERT_TRUE(entries->Key_Exists());
    ASSERT_TRUE(entries->Write_Entry("tessaly", "/opt/tessaly/tessaly"));

    const std::string text = test::Read_Bytes(Entry_File("tessaly"));
    EXPECT_NE(text.find("\nExec=/opt/tessaly/tessaly\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nIcon=org.example.Tessaly\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nX-GNOME-Autostart-enabled=true\n"), std::string::npos) << text;
    EXPECT_EQ(text.rfind("[Desktop Entry]\nType=Application\n", 0), 0u) << text;
    if (const auto complaints = test::Desktop_File_Complaints(Entry_File("tessaly"))) {
        EXPECT_EQ(*complaints, "");
    }
    EXPECT_EQ(entries->Read_Entry("tessaly"), "/opt/tessaly/tessaly");
    EXPECT_FALSE(entries->Paths_Ignore_Case());

    EXPECT_TRUE(entries->Delete_Entry("tessaly"));
    EXPECT_FALSE(fs::exists(Entry_File("tessaly")));
    EXPECT_TRUE(entries->Delete_Entry("tessaly"));
}

TEST_F(Linux_Auto_Start_Test, AwkwardPathsRoundTripThroughTheExecLine) {
    ASSERT_TRUE(entries->Key_Exists());
    for (const std::string path :
         {"/home/ann/My Programs/tessaly", "/opt/it's \"here\"/tessaly", "/opt/$HOME/`x`/tessaly",
          "/opt/back\\slash/tessaly", "/opt/Ünïcødé/tessaly",
          "/opt/semi;colon&amp/(x)/~/tessaly*?#", "/opt/tab\there/tessaly"}) {
        ASSERT_TRUE(entries->Write_Entry("tessaly", path)) << path;
        EXPECT_EQ(entries->Read_Entry("tessaly"), path);
        if (const auto complaints = test::Desktop_File_Complaints(Entry_File("tessaly"))) {
            EXPECT_EQ(*complaints, "") << path;
        }
    }
}

TEST_F(Linux_Auto_Start_Test, PathsNoDesktopCanStartAreRefusedWithTheReason) {
    ASSERT_TRUE(entries->Key_Exists());
    EXPECT_EQ(entries->Unstartable_Reason("/opt/100%/tessaly"),
              "desktops cannot start a program whose path holds \"%\"");
    EXPECT_EQ(entries->Unstartable_Reason("/opt/caf\xE9/tessaly"),
              "desktops cannot start a program whose path is not UTF-8 text");
    EXPECT_EQ(entries->Unstartable_Reason("/opt/caf\xC3\xA9/tessaly"), std::nullopt);
    for (const char* path : {"/opt/100%/tessaly", "/opt/caf\xE9/tessaly"}) {
        EXPECT_FALSE(entries->Write_Entry("tessaly", path)) << path;
        EXPECT_FALSE(fs::exists(Entry_File("tessaly"))) << path;
    }
}

TEST_F(Linux_Auto_Start_Test, EntrySwitchedOffByTheDesktopCountsAsAbsent) {
    fs::create_directories(home.File(".config/autostart"));
    for (const char* switch_off : {"Hidden=true\n", "X-GNOME-Autostart-enabled=false\n",
                                   "X-MATE-Autostart-enabled=false\n"}) {
        test::Write_Bytes(
            Entry_File("tessaly"),
            std::string("[Desktop Entry]\nType=Application\nName=T\nExec=/opt/t\n") + switch_off);
        EXPECT_EQ(entries->Read_Entry("tessaly"), std::nullopt) << switch_off;
    }
    test::Write_Bytes(Entry_File("tessaly"),
                      "# made by hand\n[Desktop Entry]\nName=T\nHidden = false\nExec = "
                      "\"/opt/my t/t\" --quiet %U\n[Desktop Action x]\nExec=/wrong\n");
    EXPECT_EQ(entries->Read_Entry("tessaly"), "/opt/my t/t");
    test::Write_Bytes(Entry_File("tessaly"), "[Desktop Entry]\nName=T\n");
    EXPECT_EQ(entries->Read_Entry("tessaly"), std::nullopt);
}

TEST_F(Linux_Auto_Start_Test, FolderThatCannotBeMadeIsAMissingKey) {
    // A file where the configuration folder should be.
    test::Write_Bytes(home.File("config-file"), "x");
    test::Scoped_Environment blocked{"XDG_CONFIG_HOME", home.File("config-file").string()};
    EXPECT_EQ(entries->Key_Path(), home.File("config-file/autostart").string());
    EXPECT_FALSE(entries->Key_Exists());
    EXPECT_FALSE(entries->Write_Entry("tessaly", "/opt/t"));
    EXPECT_EQ(entries->Read_Entry("tessaly"), std::nullopt);
}

TEST_F(Linux_Auto_Start_Test, RelativeConfigHomeIsIgnored) {
    test::Scoped_Environment relative{"XDG_CONFIG_HOME", "relative/config"};
    EXPECT_EQ(entries->Key_Path(), home.File(".config/autostart").string());
    test::Scoped_Environment absolute{"XDG_CONFIG_HOME", home.File("cfg").string()};
    EXPECT_EQ(entries->Key_Path(), home.File("cfg/autostart").string());
}

TEST(Desktop_Entry, ExecLinesWrittenByOthersGiveTheirProgram) {
    EXPECT_EQ(detail::First_Exec_Argument("/usr/bin/t --x %U"), "/usr/bin/t");
    EXPECT_EQ(detail::First_Exec_Argument("  \"/a b/t\" %f"), "/a b/t");
    EXPECT_EQ(detail::First_Exec_Argument("\"/a \\\"q\\\" \\$ \\\\ \\` b\""), "/a \"q\" $ \\ ` b");
    EXPECT_EQ(detail::First_Exec_Argument("/50%%/t"), "/50%/t");
    EXPECT_EQ(detail::First_Exec_Argument("\"/unterminated"), std::nullopt);
    EXPECT_EQ(detail::First_Exec_Argument("   "), std::nullopt);
    EXPECT_EQ(detail::Quote_Exec_Argument("/plain/t"), "/plain/t");
    EXPECT_EQ(detail::Quote_Exec_Argument("/a b/t"), "\"/a b/t\"");
    EXPECT_EQ(detail::Unescape_Value(detail::Escape_Value(" a\\b\nc\td\re")), " a\\b\nc\td\re");
}

}  // namespace
}  // namespace tessaly
