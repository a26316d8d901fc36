#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "desktop/auto_run.h"
#include "desktop/recording_prompts.h"
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

}  // namespace
}  // namespace tessaly
