#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/atomic_file.h"
#include "core/errors.h"
#include "core/platform/file_stamp.h"
#include "core/platform/process.h"
#include "core/platform/regional_settings.h"
#include "core/profile_file.h"
#include "core/program_folders.h"
#include "desktop/windows/windows_test_support.h"
#include "test_support/temp_dir.h"

namespace tessaly {

namespace detail {
std::string Strftime_Of_Date_Picture(const std::string& picture);
}

namespace {

namespace fs = std::filesystem;

// Every case runs in a plain folder and in one whose name the ANSI calls
// cannot take.
class Windows_Atomic_File : public testing::TestWithParam<std::wstring> {
protected:
    void SetUp() override { fs::create_directories(folder); }

    test::Temp_Dir dir;
    const fs::path folder = dir.Path() / GetParam();
    const fs::path file = folder / (GetParam().empty() ? L"Tessaly.dat" : L"Tessaly 日本.dat");
};

TEST_P(Windows_Atomic_File, ReplacesAnExistingFileAndKeepsTheBackup) {
    Write_File_Atomically(file, "first");
    const File_Stamp first = Current_File_Stamp(file);
    EXPECT_TRUE(first.Exists);
    Atomic_Write_Options keep_backup;
    keep_backup.Keep_Backup = true;
    Write_File_Atomically(file, "second, longer", keep_backup);
    EXPECT_EQ(Read_Whole_File(file), "second, longer");
    EXPECT_EQ(Backup_Path(file).filename(), file.filename().native() + L".bak");
    EXPECT_EQ(Read_Whole_File(Backup_Path(file)), "first");
    EXPECT_NE(Current_File_Stamp(file), first);
    // Nothing but the file and its backup is left, under no other name.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()),
              GetParam().empty() ? 2 : 1);
}

TEST_P(Windows_Atomic_File, ReadOnlyFilesAndFoldersAreRefusedAndLeftAsTheyAre) {
    test::Write_Bytes(file, "kept");
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    try {
        Write_File_Atomically(file, "new");
        ADD_FAILURE() << "a read-only file was written";
    } catch (const File_Error& error) {
        // The reason names the file as the program holds texts.
        EXPECT_NE(std::string(error.what()).find(file.string()), std::string::npos) << error.what();
    }
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::Read_Bytes(file), "kept");

    EXPECT_THROW(Write_File_Atomically(folder, "new"), File_Error);
    EXPECT_THROW(Read_Whole_File(folder), File_Error);
    EXPECT_THROW(Read_Whole_File(folder / L"missing"), File_Error);
    EXPECT_FALSE(Current_File_Stamp(folder / L"missing").Exists);
}

TEST_P(Windows_Atomic_File, StaleTemporariesOfTheFileAloneAreRemoved) {
    const std::wstring name = file.filename().native();
    test::Write_Bytes(folder / (L"." + name + L".saving-a1B2c3"), "x");
    test::Write_Bytes(folder / (L"." + name + L".backup"), "mine");
    test::Write_Bytes(folder / L".Other.dat.saving-a1B2c3", "x");
    EXPECT_EQ(Remove_Stale_Temporaries(file), 1);
    EXPECT_FALSE(fs::exists(folder / (L"." + name + L".saving-a1B2c3")));
    EXPECT_TRUE(fs::exists(folder / (L"." + name + L".backup")));
    EXPECT_TRUE(fs::exists(folder / L".Other.dat.saving-a1B2c3"));
}

INSTANTIATE_TEST_SUITE_P(Folders, Windows_Atomic_File,
                         testing::Values(std::wstring(), test::Non_Ascii_Name),
                         [](const testing::TestParamInfo<std::wstring>& folder) {
                             return folder.param.empty() ? "Ascii" : "NonAscii";
                         });

// Runs in its own ctest entry, under a Russian Wine, whose texts are not
// in the ANSI code page's letters the program's UTF-8 expects.
TEST(Windows_Atomic_File_Texts, FailureReasonsInTheSystemsLanguageAreUtf8) {
    if (PRIMARYLANGID(::GetUserDefaultUILanguage()) != LANG_RUSSIAN) {
        GTEST_SKIP() << "needs the Russian language (LC_ALL=ru_RU.UTF-8)";
    }
    test::Temp_Dir dir;
    try {
        Read_Whole_File(dir.File("missing"));
        ADD_FAILURE() << "a missing file was read";
    } catch (const File_Error& error) {
        const std::string text = error.what();
        EXPECT_TRUE(test::Is_Utf8(text)) << text;
        // A Cyrillic letter, as UTF-8.
        EXPECT_NE(text.find("\xD0"), std::string::npos) << text;
    }
}

TEST(Windows_Regional_Settings, DatePicturesBecomeStrftimePatterns) {
    EXPECT_EQ(detail::Strftime_Of_Date_Picture("dd/MM/yyyy"), "%d/%m/%Y");
    EXPECT_EQ(detail::Strftime_Of_Date_Picture("M/d/yy"), "%#m/%#d/%y");
    EXPECT_EQ(detail::Strftime_Of_Date_Picture("dddd, d. MMMM yyyy"), "%A, %#d. %B %Y");
    EXPECT_EQ(detail::Strftime_Of_Date_Picture("yyyy'年'M'月'd'日'"), "%Y年%#m月%#d日");
    EXPECT_EQ(detail::Strftime_Of_Date_Picture("d%M"), "%#d%%%#m");
}

// Runs in its own ctest entry, under a Bulgarian Wine, whose short date
// picture holds a Cyrillic letter.
TEST(Windows_Regional_Settings, TheRegionsDatePictureArrivesAsUtf8) {
    if (PRIMARYLANGID(LANGIDFROMLCID(::GetUserDefaultLCID())) != LANG_BULGARIAN) {
        GTEST_SKIP() << "needs the Bulgarian region (LC_ALL=bg_BG.UTF-8)";
    }
    const std::string pattern = System_Short_Date_Pattern();
    EXPECT_TRUE(test::Is_Utf8(pattern)) << pattern;
    EXPECT_NE(pattern.find("%Y"), std::string::npos) << pattern;
    EXPECT_NE(pattern.find("\xD0\xB3"), std::string::npos) << pattern;  // г
}

TEST(Windows_Process, ExecutablePathIsTheRunningProgram) {
    const fs::path self = Executable_Path(nullptr);
    EXPECT_TRUE(self.is_absolute());
    EXPECT_EQ(self.filename(), "test_windows_core_platform.exe");
    EXPECT_GT(Local_Today(), Day_Number_Of(2020, 1, 1));
}

// Runs in its own ctest entry, on a terminal, where Wine gives a console.
TEST(Windows_Process, ConsoleShowsUtf8WhileTheGuardLivesAndGetsItsCodePageBack) {
    if (::GetConsoleOutputCP() == 0) {
        if (std::getenv("TESSALY_TEST_CONSOLE") != nullptr) {
            FAIL() << "no console on the terminal";
        }
        GTEST_SKIP() << "needs a console (a terminal)";
    }
    ASSERT_TRUE(::SetConsoleOutputCP(866));
    {
        const Utf8_Console_Output guard;
        EXPECT_EQ(::GetConsoleOutputCP(), static_cast<UINT>(CP_UTF8));
    }
    EXPECT_EQ(::GetConsoleOutputCP(), 866u);
}

TEST(Windows_Profile_File, NewSettingsFileReadsWholeThroughTheProfileFunctions) {
    test::Temp_Dir dir;
    const fs::path file = dir.Path() / L"Tessaly.ini";
    Profile_File profile = Profile_File::Of_Ascii("", New_Profile_Encoding());
    profile.Write_String("Tessaly", "Name_Edit", test::Utf8(test::Non_Ascii_Name));
    profile.Write_Integer("Tessaly", "Days_Threshold_SpinEdit", 30);
    profile.Save(file);
    wchar_t value[256] = {};
    ::GetPrivateProfileStringW(L"Tessaly", L"Name_Edit", L"", value, 256, file.c_str());
    EXPECT_EQ(std::wstring(value), test::Non_Ascii_Name);
    EXPECT_EQ(::GetPrivateProfileIntW(L"Tessaly", L"Days_Threshold_SpinEdit", 0, file.c_str()),
              30u);
    // What the profile functions write, the program reads back.
    ASSERT_TRUE(::WritePrivateProfileStringW(L"Tessaly", L"Event_Type_ComboBox",
                                             L"Namenstag \u65e5", file.c_str()));
    EXPECT_EQ(Profile_File::Load(file).Read_String("Tessaly", "Event_Type_ComboBox"),
              "Namenstag \xE6\x97\xA5");
}

// Program Files refuses an ordinary user's writes; an installed program keeps
// the user's files in %APPDATA%, a portable folder beside itself.
class Windows_Program_Folders : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(program);
        fs::create_directories(app_data);
        for (const wchar_t* name : {L"Tessaly.exe", L"catalog.txt", L"Tessaly.txt"}) {
            test::Write_Bytes(program / name, "");
        }
        if (const wchar_t* old = ::_wgetenv(L"APPDATA")) {
            old_app_data_ = old;
        }
        ::_wputenv_s(L"APPDATA", app_data.c_str());
    }
    void TearDown() override { ::_wputenv_s(L"APPDATA", old_app_data_.c_str()); }

    test::Temp_Dir dir;
    const fs::path program = dir.Path() / test::Non_Ascii_Name / L"Tessaly";
    const fs::path app_data = dir.Path() / L"Roaming";

private:
    std::wstring old_app_data_;
};

TEST_F(Windows_Program_Folders, PortableFolderKeepsEverythingBesideTheProgram) {
    const Program_Folders folders = Locate_Program_Folders(program / L"Tessaly.exe");
    EXPECT_FALSE(folders.Installed);
    EXPECT_EQ(folders.Data_Folder, program);
    EXPECT_EQ(folders.Settings_Folder, program);
    EXPECT_EQ(folders.Text_Folder, program);
}

TEST_F(Windows_Program_Folders, InstalledProgramKeepsTheListInAppDataAndReadsItsOwnTexts) {
    test::Write_Bytes(program / L"Uninstall.exe", "");
    const Program_Folders folders = Locate_Program_Folders(program / L"Tessaly.exe");
    EXPECT_TRUE(folders.Installed);
    EXPECT_EQ(folders.Data_Folder, app_data / L"Tessaly");
    EXPECT_EQ(folders.Settings_Folder, app_data / L"Tessaly");
    EXPECT_EQ(folders.Text_Folder, program);
    EXPECT_EQ(Create_Program_Folders(folders), std::nullopt);
    EXPECT_TRUE(fs::is_directory(app_data / L"Tessaly"));
}

}  // namespace
}  // namespace tessaly
