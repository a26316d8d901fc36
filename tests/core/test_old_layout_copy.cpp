#include "core/old_layout_copy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// The files of each folder by name, "" for none.
using Folder_Files = std::map<std::string, std::string>;

Folder_Files Files_In(const fs::path& folder) {
    Folder_Files files;
    if (!fs::exists(folder)) {
        return files;
    }
    for (const auto& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? test::Read_Bytes(entry.path()) : "<not a file>";
    }
    return files;
}

void Write_Files(const fs::path& folder, const Folder_Files& files) {
    fs::create_directories(folder);
    for (const auto& [name, bytes] : files) {
        test::Write_Bytes(folder / name, bytes);
    }
}

TEST(Old_Layout_Copy, CopiesTheListAndSettingsOnceAndNeverOverTheUsersFiles) {
    const Folder_Files old_files = {{"Tessaly.dat", "V1.1\r\nold list"},
                                    {"Tessaly.ini", "[Tessaly]\r\nold=1\r\n"}};
    const struct {
        const char* name;
        bool installed;
        Folder_Files old_folder;
        Folder_Files data_folder;
        Folder_Files settings_folder;
        bool copied;
        Folder_Files data_after;
        Folder_Files settings_after;
    } cases[] = {
        {"a fresh install takes both",
         true,
         old_files,
         {},
         {},
         true,
         {{"Tessaly.dat", "V1.1\r\nold list"}},
         {{"Tessaly.ini", "[Tessaly]\r\nold=1\r\n"}}},
        {"a portable copy keeps its files beside itself", false, old_files, {}, {}, false, {}, {}},
        {"a list already there is kept",
         true,
         old_files,
         {{"Tessaly.dat", "new"}},
         {},
         false,
         {{"Tessaly.dat", "new"}},
         {}},
        {"settings already there are kept",
         true,
         old_files,
         {},
         {{"Tessaly.ini", "mine"}},
         true,
         {{"Tessaly.dat", "V1.1\r\nold list"}},
         {{"Tessaly.ini", "mine"}}},
        {"a list without settings",
         true,
         {{"Tessaly.dat", "V1.1\r\n"}},
         {},
         {},
         true,
         {{"Tessaly.dat", "V1.1\r\n"}},
         {}},
        {"settings without a list are no reason",
         true,
         {{"Tessaly.ini", "x"}},
         {},
         {},
         false,
         {},
         {}},
        {"nothing beside the executable", true, {}, {}, {}, false, {}, {}},
        {"the new list's neighbours stay",
         true,
         old_files,
         {{"Tessaly.dat.bak", "b"}},
         {},
         true,
         {{"Tessaly.dat", "V1.1\r\nold list"}, {"Tessaly.dat.bak", "b"}},
         {{"Tessaly.ini", "[Tessaly]\r\nold=1\r\n"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::Temp_Dir dir;
        const fs::path old_folder = dir.File("Program Files") / "Tessaly";
        const Program_Folders folders{.Data_Folder = dir.File("AppData") / "Tessaly",
                                      .Settings_Folder = dir.File("Config") / "Tessaly",
                                      .Text_Folder = old_folder,
                                      .Installed = c.installed};
        Write_Files(old_folder, c.old_folder);
        Write_Files(folders.Data_Folder, c.data_folder);
        Write_Files(folders.Settings_Folder, c.settings_folder);

        const auto copy = Copy_Old_Layout_Files(folders, old_folder);
        ASSERT_EQ(copy.has_value(), c.copied);
        EXPECT_EQ(Files_In(folders.Data_Folder), c.data_after);
        EXPECT_EQ(Files_In(folders.Settings_Folder), c.settings_after);
        EXPECT_EQ(Files_In(old_folder), c.old_folder);
        if (copy) {
            const bool settings_copied = c.settings_folder.empty() && c.old_folder.size() == 2;
            EXPECT_EQ(
                Old_Layout_Copy_Message(*copy),
                "Your list was copied from " + (old_folder / "Tessaly.dat").string() + " to " +
                    (folders.Data_Folder / "Tessaly.dat").string() +
                    "; the original stays where it was." +
                    (settings_copied
                         ? "\r\n\r\nYour settings were copied from " +
                               (old_folder / "Tessaly.ini").string() + " to " +
                               (folders.Settings_Folder / "Tessaly.ini").string() + " as well."
                         : std::string()));
        }
        // Once there, the list is the user's: a later start copies nothing.
        EXPECT_FALSE(Copy_Old_Layout_Files(folders, old_folder).has_value());
        EXPECT_EQ(Files_In(folders.Data_Folder), c.data_after);
    }
}

#if !defined(_WIN32)
TEST(Old_Layout_Copy, CopyIsTheOwnersAloneAndADanglingLinkIsNotReplaced) {
    test::Temp_Dir dir;
    const Program_Folders folders{.Data_Folder = dir.File("data"),
                                  .Settings_Folder = dir.File("config"),
                                  .Text_Folder = dir.File("old"),
                                  .Installed = true};
    Write_Files(dir.File("old"), {{"Tessaly.dat", "V1.1\r\n"}});
    fs::create_directories(folders.Data_Folder);
    fs::create_symlink("elsewhere/Tessaly.dat", folders.Data_Folder / "Tessaly.dat");
    EXPECT_FALSE(Copy_Old_Layout_Files(folders, dir.File("old")).has_value());
    EXPECT_FALSE(fs::exists(folders.Data_Folder / "Tessaly.dat"));

    fs::remove(folders.Data_Folder / "Tessaly.dat");
    ASSERT_TRUE(Copy_Old_Layout_Files(folders, dir.File("old")).has_value());
    EXPECT_EQ(fs::status(folders.Data_Folder / "Tessaly.dat").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}
#endif

}  // namespace
}  // namespace tessaly
