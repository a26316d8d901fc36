#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "desktop/windows/windows_services.h"
#include "desktop/windows/windows_test_support.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// The command line the stand-in Notepad beside this test was started with;
// empty when it did not run within ten seconds.
std::string Started_Command_Line(const fs::path& record) {
    for (int i = 0; i < 1000 && !fs::exists(record); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return fs::exists(record) ? test::Read_Bytes(record) : std::string();
}

TEST(Windows_Text_Editor, NotepadIsStartedOnTheWholePathUnquoted) {
    test::Temp_Dir dir;
    const fs::path record = dir.File("started");
    ::SetEnvironmentVariableW(L"TESSALY_NOTEPAD_RECORD", record.c_str());
    const fs::path file = dir.Path() / test::Non_Ascii_Name / L"Read Me.txt";
    // Whether the file exists is Notepad's business.
    ASSERT_TRUE(Make_Windows_Text_Editor()->View_In_Notepad(file));
    EXPECT_EQ(Started_Command_Line(record), "Notepad.exe " + file.string());
    ::SetEnvironmentVariableW(L"TESSALY_NOTEPAD_RECORD", nullptr);
}

}  // namespace
}  // namespace tessaly
