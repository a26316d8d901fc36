#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "desktop/windows/windows_services.h"
#include "desktop/windows/windows_test_support.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// The command line the stand-in Notepad beside this test was started with;
// empty when it did not run within a minute. Wine on a busy machine can take
// many seconds to start a program, and may refuse to open the file for a
// moment after it appears.
std::string Started_Command_Line(const fs::path& record) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(record, std::ios::binary);
        if (in) {
            return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
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
