#include "core/program_folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "test_support/posix_files.h"
#include "test_support/scoped_environment.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

Folder_Facts Facts_For(const fs::path& executable_folder) {
    Folder_Facts facts;
    facts.Executable_Folder = executable_folder;
    facts.Installed_Text_Folder = "/usr/share/tessaly";
    facts.Default_Data_Home = "/home/nora/.local/share";
    facts.Default_Config_Home = "/home/nora/.config";
    return facts;
}

TEST(Program_Folders, CopyInAWritableFolderKeepsEverythingBesideItself) {
    const Program_Folders folders = Decide_Program_Folders(Facts_For("/home/nora/tessaly"));
    EXPECT_FALSE(folders.Installed);
    EXPECT_EQ(folders.Data_Folder, "/home/nora/tessaly");
    EXPECT_EQ(folders.Settings_Folder, "/home/nora/tessaly");
    EXPECT_EQ(folders.Text_Folder, "/home/nora/tessaly");
}

TEST(Program_Folders, InstalledProgramKeepsTheUsersFilesInTheHome) {
    Folder_Facts facts = Facts_For("/usr/bin");
    facts.In_Installed_Program_Folder = true;
    // Root can write to /usr/bin: the installed folder decides, not the rights.
    facts.Executable_Folder_Writable = true;
    facts.Text_Files_Beside_Executable = true;
    const Program_Folders folders = Decide_Program_Folders(facts);
    EXPECT_TRUE(folders.Installed);
    EXPECT_EQ(folders.Data_Folder, "/home/nora/.local/share/tessaly");
    EXPECT_EQ(folders.Settings_Folder, "/home/nora/.config/tessaly");
    EXPECT_EQ(folders.Text_Folder, "/usr/share/tessaly");
}

TEST(Program_Folders, CopyInAReadOnlyFolderWritesToTheHomeAndReadsItsOwnTexts) {
    Folder_Facts facts = Facts_For("/media/stick/tessaly");
    facts.Executable_Folder_Writable = false;
    const Program_Folders folders = Decide_Program_Folders(facts);
    EXPECT_TRUE(folders.Installed);
    EXPECT_EQ(folders.Data_Folder, "/home/nora/.local/share/tessaly");
    EXPECT_EQ(folders.Text_Folder, "/media/stick/tessaly");

    facts.Text_Files_Beside_Executable = false;
    EXPECT_EQ(Decide_Program_Folders(facts).Text_Folder, "/usr/share/tessaly");
}

TEST(Program_Folders, BaseFoldersFromTheEnvironmentOnlyWhenAbsolute) {
    Folder_Facts facts = Facts_For("/usr/bin");
    facts.In_Installed_Program_Folder = true;
    facts.Data_Home = fs::path("/srv/data");
    facts.Config_Home = fs::path("/srv/config");
    Program_Folders folders = Decide_Program_Folders(facts);
    EXPECT_EQ(folders.Data_Folder, "/srv/data/tessaly");
    EXPECT_EQ(folders.Settings_Folder, "/srv/config/tessaly");

    for (const char* ignored : {"", "relative/data", "./data", "~/data"}) {
        facts.Data_Home = fs::path(ignored);
        facts.Config_Home = fs::path(ignored);
        folders = Decide_Program_Folders(facts);
        EXPECT_EQ(folders.Data_Folder, "/home/nora/.local/share/tessaly") << ignored;
        EXPECT_EQ(folders.Settings_Folder, "/home/nora/.config/tessaly") << ignored;
    }
}

class Program_Folders_On_The_System : public testing::Test {
protected:
    test::Temp_Dir root_;
    fs::path home_ = root_.File("home");
    test::Scoped_Environment home_variable_{"HOME", home_.string()};
    test::Scoped_Environment data_home_{"XDG_DATA_HOME", std::nullopt};
    test::Scoped_Environment config_home_{"XDG_CONFIG_HOME", std::nullopt};
};

TEST_F(Program_Folders_On_The_System, BuildFolderIsPortable) {
    const fs::path folder = root_.File("build");
    fs::create_directories(folder);
    test::Write_Bytes(folder / "catalog.txt", "");
    const Program_Folders folders = Locate_Program_Folders(folder / "tessaly");
    EXPECT_FALSE(folders.Installed);
    EXPECT_EQ(folders.Data_Folder, folder);
}

TEST_F(Program_Folders_On_The_System, InstallUnderAnyPrefixIsKnownByItsDataFolder) {
    const fs::path prefix = root_.File("prefix");
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share" / "tessaly");
    test::Write_Bytes(prefix / "share" / "tessaly" / "catalog.txt", "");
    Program_Folders folders = Locate_Program_Folders(prefix / "bin" / "tessaly");
    EXPECT_TRUE(folders.Installed);
    EXPECT_EQ(folders.Data_Folder, home_ / ".local" / "share" / "tessaly");
    EXPECT_EQ(folders.Settings_Folder, home_ / ".config" / "tessaly");
    EXPECT_EQ(folders.Text_Folder, prefix / "share" / "tessaly");

    const test::Scoped_Environment data_home("XDG_DATA_HOME", root_.File("data").string());
    const test::Scoped_Environment config_home("XDG_CONFIG_HOME", "config");
    folders = Locate_Program_Folders(prefix / "bin" / "tessaly");
    EXPECT_EQ(folders.Data_Folder, root_.File("data") / "tessaly");
    EXPECT_EQ(folders.Settings_Folder, home_ / ".config" / "tessaly");
}

TEST_F(Program_Folders_On_The_System, ReadOnlyCopyWritesToTheHome) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes to any folder";
    }
    const fs::path folder = root_.File("read-only");
    fs::create_directories(folder);
    test::Write_Bytes(folder / "catalog.txt", "");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const Program_Folders folders = Locate_Program_Folders(folder / "tessaly");
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_TRUE(folders.Installed);
    EXPECT_EQ(folders.Data_Folder, home_ / ".local" / "share" / "tessaly");
    EXPECT_EQ(folders.Text_Folder, folder);
}

TEST_F(Program_Folders_On_The_System, CreatedFoldersAndTheirMissingParentsArePrivate) {
    const Program_Folders folders{.Data_Folder = home_ / ".local" / "share" / "tessaly",
                                  .Settings_Folder = home_ / ".config" / "tessaly",
                                  .Text_Folder = {},
                                  .Installed = true};
    ASSERT_EQ(Create_Program_Folders(folders), std::nullopt);
    for (const fs::path& made : {home_, home_ / ".local", home_ / ".local" / "share",
                                 folders.Data_Folder, folders.Settings_Folder}) {
        EXPECT_EQ(test::Mode_Of(made), 0700u) << made;
    }
    // A second start finds them there.
    EXPECT_EQ(Create_Program_Folders(folders), std::nullopt);
}

TEST_F(Program_Folders_On_The_System, FileInTheWayIsReportedWithItsPath) {
    fs::create_directories(home_ / ".config");
    test::Write_Bytes(home_ / ".config" / "tessaly", "not a folder");
    const Program_Folders folders{.Data_Folder = home_ / "data",
                                  .Settings_Folder = home_ / ".config" / "tessaly",
                                  .Text_Folder = {},
                                  .Installed = true};
    const std::optional<std::string> failure = Create_Program_Folders(folders);
    ASSERT_TRUE(failure.has_value());
    EXPECT_NE(failure->find((home_ / ".config" / "tessaly").string()), std::string::npos);
    EXPECT_NE(failure->find("Not a directory"), std::string::npos) << *failure;
    EXPECT_EQ(Folder_Creation_Message(*failure).rfind("Error: ", 0), 0u);
}

}  // namespace
}  // namespace tessaly
