#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "desktop/auto_run.h"
#include "desktop/recording_prompts.h"
#include "desktop/run_keys.h"
#include "desktop/windows/windows_services.h"
#include "desktop/windows/windows_test_support.h"

namespace tessaly {
namespace {

// A key of the test's own under the user's root, removed afterwards.
const std::string Test_Key = "\\Software\\Tessaly Tests\\Run";

class Windows_Registry_Test : public ::testing::Test {
protected:
    void SetUp() override {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, detail::Relative_Key(Test_Key).c_str(), 0,
                                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    }
    void TearDown() override {
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tessaly Tests\\Approved");
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tessaly Tests\\Run");
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tessaly Tests");
    }

    std::unique_ptr<Auto_Start_Entries> entries =
        Make_Windows_Auto_Start_Entries(HKEY_CURRENT_USER, Test_Key);
    test::Recording_Prompts prompts;
};

TEST_F(Windows_Registry_Test, ValuesAreWrittenReadAndDeletedAsPlainStrings) {
    EXPECT_TRUE(entries->Key_Exists());
    EXPECT_EQ(entries->Key_Path(), Test_Key);
    EXPECT_EQ(entries->Read_Entry("Tessaly.EXE"), std::nullopt);
    const std::string path = "C:\\Program Files\\Tessaly\\Tessaly.EXE";
    ASSERT_TRUE(Write_Registry_String(*entries, "Tessaly.EXE", path, prompts));
    EXPECT_EQ(Read_Registry_String(*entries, "Tessaly.EXE"), path);
    EXPECT_TRUE(entries->Paths_Ignore_Case());
    ASSERT_TRUE(Delete_Registry_Value(*entries, "Tessaly.EXE", prompts));
    EXPECT_EQ(Read_Registry_String(*entries, "Tessaly.EXE"), "");
    // Deleting what is not there is no error.
    EXPECT_TRUE(Delete_Registry_Value(*entries, "Tessaly.EXE", prompts));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(Windows_Registry_Test, MissingKeyIsReportedAndNeverCreated) {
    const std::string missing = "\\Software\\Tessaly Tests\\No Such Key";
    auto absent = Make_Windows_Auto_Start_Entries(HKEY_CURRENT_USER, missing);
    EXPECT_FALSE(absent->Key_Exists());
    EXPECT_FALSE(Write_Registry_String(*absent, "Tessaly.EXE", "C:\\T.EXE", prompts));
    EXPECT_FALSE(Delete_Registry_Value(*absent, "Tessaly.EXE", prompts));
    EXPECT_EQ(Read_Registry_String(*absent, "Tessaly.EXE"), "");
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(
        prompts.shown[0].Text.rfind("Error: The specified Registry Key for this operation "
                                    "\r\ndoes NOT exist on your PC.  \r\n\r\n Error Key   = " +
                                        missing + "\r\n",
                                    0),
        0u);
    HKEY key = nullptr;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, detail::Relative_Key(missing).c_str(), 0, KEY_READ,
                              &key),
              ERROR_SUCCESS);
}

TEST_F(Windows_Registry_Test, StartUpCheckComparesPathsWithoutRegardToCase) {
    Auto_Run auto_run(*entries, prompts, "C:\\Apps\\Tessaly.EXE");
    EXPECT_FALSE(auto_run.Check_Auto_Run_Entry());
    ASSERT_TRUE(entries->Write_Entry("Tessaly.EXE", "c:\\apps\\TESSALY.exe"));
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    EXPECT_TRUE(prompts.shown.empty());

    ASSERT_TRUE(entries->Write_Entry("Tessaly.EXE", "D:\\Old\\Tessaly.EXE"));
    prompts.answers = {true};
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    EXPECT_EQ(entries->Read_Entry("Tessaly.EXE"), "C:\\Apps\\Tessaly.EXE");
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].Text,
              "This program (Tessaly.EXE) will now run automatically at Windows Start-Up.");
}

// A value of the test key read with the call of the given width: what other
// programs see.
std::wstring Wide_Value(const std::wstring& name) {
    wchar_t value[512] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Tessaly Tests\\Run", name.c_str(),
                       RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return L"<missing>";
    }
    return value;
}

std::string Ansi_Value(const std::string& name) {
    char value[512] = {};
    DWORD size = sizeof value - 1;
    if (::RegGetValueA(HKEY_CURRENT_USER, "Software\\Tessaly Tests\\Run", name.c_str(),
                       RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return "<missing>";
    }
    return value;
}

TEST_F(Windows_Registry_Test, NonAsciiProgramPathsAndNamesAreStoredAsTheirCharacters) {
    const std::wstring program = L"C:\\Users\\" + test::Non_Ascii_Name + L"\\Tessaly 日本.EXE";
    Auto_Run auto_run(*entries, prompts, program);
    ASSERT_TRUE(auto_run.Enable_Auto_Run());
    EXPECT_EQ(Wide_Value(L"Tessaly 日本.EXE"), program);
    EXPECT_EQ(entries->Read_Entry(test::Utf8(L"Tessaly 日本.EXE")), test::Utf8(program));
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    ASSERT_TRUE(auto_run.Disable_Auto_Run());
    EXPECT_EQ(Wide_Value(L"Tessaly 日本.EXE"), L"<missing>");
    // Every message was an information, none an error or a question.
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].Text, "This program (" + test::Utf8(L"Tessaly 日本.EXE") +
                                         ") will now run automatically at Windows Start-Up.");
}

TEST_F(Windows_Registry_Test, ProgramsReadingWithAnsiCallsGetTheCodePagesLetters) {
    if (::GetACP() != 1252) {
        GTEST_SKIP() << "the expected bytes are those of code page 1252";
    }
    ASSERT_TRUE(entries->Write_Entry(test::Utf8(L"Zoë.EXE"), test::Utf8(L"C:\\Zoë\\Zoë.EXE")));
    EXPECT_EQ(Ansi_Value("Zo\xEB.EXE"), "C:\\Zo\xEB\\Zo\xEB.EXE");
}

TEST(Windows_Run_Key, TheMachinesRunKeyTakesAndGivesBackTheEntry) {
    auto run = Make_Windows_Auto_Start_Entries();
    ASSERT_TRUE(run->Key_Exists());
    EXPECT_EQ(run->Key_Path(), "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    test::Recording_Prompts prompts;
    Auto_Run auto_run(*run, prompts, "C:\\Tessaly Test\\TessalyTest.EXE");
    ASSERT_TRUE(auto_run.Enable_Auto_Run());
    EXPECT_EQ(run->Read_Entry("TessalyTest.EXE"), "C:\\Tessaly Test\\TessalyTest.EXE");
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    ASSERT_TRUE(auto_run.Disable_Auto_Run());
    EXPECT_FALSE(auto_run.Check_Auto_Run_Entry());
    EXPECT_EQ(prompts.shown.size(), 2u);
}

// The machine's Run key as an ordinary user meets it: readable, not
// writable. A key of the test's own stands in for it, with a DACL that lets
// everyone read it and no one change its values.
class Windows_Run_Keys_Test : public Windows_Registry_Test {
protected:
    void SetUp() override {
        Windows_Registry_Test::SetUp();
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, detail::Relative_Key(Machine_Key).c_str(), 0,
                                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::wstring old_path = L"D:\\Old\\Tessaly.exe";
        ::RegSetValueExW(key, L"Tessaly.exe", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(old_path.c_str()),
                         static_cast<DWORD>((old_path.size() + 1) * sizeof(wchar_t)));
        PSECURITY_DESCRIPTOR read_only = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &read_only, nullptr));
        ASSERT_EQ(::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, read_only), ERROR_SUCCESS);
        ::LocalFree(read_only);
        ::RegCloseKey(key);
    }
    void TearDown() override {
        // WRITE_DAC stays with the key's owner: the key is opened up to go.
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, detail::Relative_Key(Machine_Key).c_str(), 0,
                            WRITE_DAC, &key) == ERROR_SUCCESS) {
            PSECURITY_DESCRIPTOR open = nullptr;
            ::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KA;;;WD)",
                                                                   SDDL_REVISION_1, &open, nullptr);
            ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, open);
            ::LocalFree(open);
            ::RegCloseKey(key);
        }
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tessaly Tests\\Machine\\Run");
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tessaly Tests\\Machine");
        Windows_Registry_Test::TearDown();
    }

    const std::string Machine_Key = "\\Software\\Tessaly Tests\\Machine\\Run";
    Machine_Or_User_Run_Keys keys{
        Make_Windows_Auto_Start_Entries(HKEY_CURRENT_USER, Machine_Key, ""),
        Make_Windows_Auto_Start_Entries(HKEY_CURRENT_USER, Test_Key, ""),
        {"C:\\Program Files"}};
};

TEST_F(Windows_Run_Keys_Test, ReadOnlyMachineKeyRefusesAnInstalledProgramButNotACopy) {
    // Installed for everyone: only the machine's key will do, and it refuses.
    Auto_Run installed(keys, prompts, "C:\\Program Files\\Tessaly\\Tessaly.exe");
    prompts.answers = {true};
    EXPECT_TRUE(installed.Check_Auto_Run_Entry());
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].Kind, "error");
    EXPECT_EQ(prompts.shown[1].Text.rfind("Failed to set data for 'Tessaly.exe'.\r\n\r\nWindows "
                                          "lets only an administrator",
                                          0),
              0u);
    EXPECT_EQ(entries->Read_Entry("Tessaly.exe"), std::nullopt);

    // A copy in the user's own folders starts for this user, from the
    // user's key.
    prompts.shown.clear();
    prompts.answers = {true};
    Auto_Run copy(keys, prompts, "C:\\Users\\nora\\Downloads\\Tessaly\\Tessaly.exe");
    EXPECT_TRUE(copy.Check_Auto_Run_Entry());
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].Text,
              "This program (Tessaly.exe) will now run automatically at Windows Start-Up.");
    // Quoted in the key, as a command line must be; read back as the path.
    EXPECT_EQ(entries->Read_Entry("Tessaly.exe"),
              "\"C:\\Users\\nora\\Downloads\\Tessaly\\Tessaly.exe\"");
    EXPECT_EQ(
        Make_Windows_Auto_Start_Entries(HKEY_CURRENT_USER, Machine_Key)->Read_Entry("Tessaly.exe"),
        "D:\\Old\\Tessaly.exe");
    EXPECT_TRUE(copy.Check_Auto_Run_Entry());
    EXPECT_EQ(prompts.shown.size(), 2u);
}

// The Task Manager switches an entry off beside the Run key; the menu item
// then shows it off, and ticking it switches it on again.
TEST_F(Windows_Registry_Test, EntrySwitchedOffInTheTaskManagerIsNoneUntilWrittenAgain) {
    const std::string approved_key = "\\Software\\Tessaly Tests\\Approved";
    HKEY approved = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, detail::Relative_Key(approved_key).c_str(), 0,
                                nullptr, 0, KEY_ALL_ACCESS, nullptr, &approved, nullptr),
              ERROR_SUCCESS);
    const auto set_switch = [&](const std::string& bytes) {
        ::RegSetValueExW(approved, L"Tessaly.exe", 0, REG_BINARY,
                         reinterpret_cast<const BYTE*>(bytes.data()),
                         static_cast<DWORD>(bytes.size()));
    };
    auto switched = Make_Windows_Auto_Start_Entries(HKEY_CURRENT_USER, Test_Key, approved_key);
    Auto_Run auto_run(*switched, prompts, "C:\\Apps\\Tessaly.exe");
    ASSERT_TRUE(switched->Write_Entry("Tessaly.exe", "C:\\Apps\\Tessaly.exe"));
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());

    set_switch(std::string("\x03\0\0\0\x8a\x1b\x2c\x3d\x4e\x5f\x60\x71", 12));
    EXPECT_EQ(switched->Read_Entry("Tessaly.exe"), std::nullopt);
    EXPECT_FALSE(auto_run.Check_Auto_Run_Entry());
    EXPECT_TRUE(prompts.shown.empty());

    ASSERT_TRUE(auto_run.Enable_Auto_Run());
    EXPECT_EQ(detail::Read_Registry_Bytes(HKEY_CURRENT_USER, approved_key, "Tessaly.exe"),
              std::string("\x02\0\0\0\0\0\0\0\0\0\0\0", 12));
    EXPECT_EQ(switched->Read_Entry("Tessaly.exe"), "C:\\Apps\\Tessaly.exe");

    set_switch(std::string("\x06\0\0\0", 4));
    EXPECT_TRUE(auto_run.Check_Auto_Run_Entry());
    ::RegDeleteValueW(approved, L"Tessaly.exe");
    ::RegCloseKey(approved);
}

TEST(Windows_Run_Key, ProgramFilesFoldersTellAnInstallForEveryoneFromOthers) {
    const std::vector<std::string> folders = Program_Files_Folders();
    ASSERT_FALSE(folders.empty());
    EXPECT_TRUE(Starts_For_Every_User(folders.front() + "\\Tessaly\\Tessaly.exe", folders));
    const char* local = std::getenv("LOCALAPPDATA");
    ASSERT_NE(local, nullptr);
    EXPECT_FALSE(
        Starts_For_Every_User(std::string(local) + "\\Programs\\Tessaly\\Tessaly.exe", folders));
}

}  // namespace
}  // namespace tessaly
