#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/atomic_file.h"
#include "core/errors.h"
#include "core/platform/file_stamp.h"
#include "core/platform/process.h"
#include "test_support/temp_dir.h"

namespace tessaly {

namespace detail {
std::string Strftime_Of_Date_Picture(const std::string& picture);
}

namespace {

namespace fs = std::filesystem;

TEST(Windows_Atomic_File, ReplacesAnExistingFileAndKeepsTheBackup) {
    test::Temp_Dir dir;
    const fs::path file = dir.File("Tessaly.dat");
    Write_File_Atomically(file, "first");
    const File_Stamp first = Current_File_Stamp(file);
    EXPECT_TRUE(first.Exists);
    Write_File_Atomically(file, "second, longer", Atomic_Write_Options{.Keep_Backup = true});
    EXPECT_EQ(Read_Whole_File(file), "second, longer");
    EXPECT_EQ(Read_Whole_File(Backup_Path(file)), "first");
    EXPECT_NE(Current_File_Stamp(file), first);
    // Nothing but the file and its backup is left.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
}

TEST(Windows_Atomic_File, ReadOnlyFilesAndFoldersAreRefusedAndLeftAsTheyAre) {
    test::Temp_Dir dir;
    const fs::path file = dir.File("Tessaly.dat");
    test::Write_Bytes(file, "kept");
    ::SetFileAttributesA(file.string().c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_THROW(Write_File_Atomically(file, "new"), File_Error);
    ::SetFileAttributesA(file.string().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::Read_Bytes(file), "kept");

    EXPECT_THROW(Write_File_Atomically(dir.Path(), "new"), File_Error);
    EXPECT_THROW(Read_Whole_File(dir.Path()), File_Error);
    EXPECT_THROW(Read_Whole_File(dir.File("missing")), File_Error);
    EXPECT_FALSE(Current_File_Stamp(dir.File("missing")).Exists);
}

TEST(Windows_Atomic_File, StaleTemporariesOfTheFileAloneAreRemoved) {
    test::Temp_Dir dir;
    const fs::path file = dir.File("Tessaly.dat");
    test::Write_Bytes(dir.File(".Tessaly.dat.saving-a1B2c3"), "x");
    test::Write_Bytes(dir.File(".Tessaly.dat.backup"), "mine");
    test::Write_Bytes(dir.File(".Other.dat.saving-a1B2c3"), "x");
    EXPECT_EQ(Remove_Stale_Temporaries(file), 1);
    EXPECT_TRUE(fs::exists(dir.File(".Tessaly.dat.backup")));
    EXPECT_TRUE(fs::exists(dir.File(".Other.dat.saving-a1B2c3")));
}

TEST(Windows_Regional_Settings, DatePicturesBecomeStrftimePatterns) {
    EXPECT_EQ(detail::Strftime_Of_Date_Picture("dd/MM/yyyy"), "%d/%m/%Y");
    EXPECT_EQ(detail::Strftime_Of_Date_Picture("M/d/yy"), "%#m/%#d/%y");
    EXPECT_EQ(detail::Strftime_Of_Date_Picture("dddd, d. MMMM yyyy"), "%A, %#d. %B %Y");
    EXPECT_EQ(detail::Strftime_Of_Date_Picture("yyyy'年'M'月'd'日'"), "%Y年%#m月%#d日");
    EXPECT_EQ(detail::Strftime_Of_Date_Picture("d%M"), "%#d%%%#m");
}

TEST(Windows_Process, ExecutablePathIsTheRunningProgram) {
    const fs::path self = Executable_Path(nullptr);
    EXPECT_TRUE(self.is_absolute());
    EXPECT_EQ(self.filename(), "test_windows_core_platform.exe");
    EXPECT_GT(Local_Today(), Day_Number_Of(2020, 1, 1));
}

}  // namespace
}  // namespace tessaly
