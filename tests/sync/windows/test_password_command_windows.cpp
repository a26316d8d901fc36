// The password command as cmd.exe runs it: what it prints, how it fails, and
// that nothing it started outlives the call, however it behaves.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "sync/password_command.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

using namespace std::chrono_literals;

// A copy of cmd.exe under a name of its own stands in for a command that
// waits: its processes are told from those of any other test running.
constexpr const wchar_t* Stand_In_Name = L"tessaly_waiting_command.exe";

int Running_Stand_Ins() {
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        count += ::lstrcmpiW(entry.szExeFile, Stand_In_Name) == 0 ? 1 : 0;
    }
    ::CloseHandle(snapshot);
    return count;
}

// The job's processes end a moment after the job is ended.
int Running_Stand_Ins_Once_Settled() {
    int count = Running_Stand_Ins();
    for (int i = 0; i < 100 && count != 0; ++i) {
        std::this_thread::sleep_for(20ms);
        count = Running_Stand_Ins();
    }
    return count;
}

TEST(Password_Command_Windows, EachCommandGivesItsPasswordOrItsErrorAndLeavesNothingRunning) {
    const test::Temp_Dir dir;
    wchar_t system_folder[MAX_PATH] = {};
    ASSERT_GT(::GetSystemDirectoryW(system_folder, MAX_PATH), 0u);
    const std::filesystem::path stand_in = dir.Path() / Stand_In_Name;
    std::filesystem::copy_file(std::filesystem::path(system_folder) / L"cmd.exe", stand_in);
    const std::string waits =
        "\"" + stand_in.string() + "\" /d /c \"for /l %i in (0,0,1) do @rem\"";
    const std::filesystem::path large_file = dir.File("large.txt");
    test::Write_Bytes(large_file, std::string(70'000, 'x'));

    struct Case {
        std::string command;
        const char* password;  // null when it fails
        const char* error;
        double at_least_seconds;
        double at_most_seconds;
    };
    const Case cases[] = {
        {"echo pass word", "pass word", "", 0, 5},
        {"rem", nullptr, "The password command printed no password.", 0, 5},
        {"(echo pw)& exit /b 3", nullptr, "The password command failed (exit status 3).", 0, 5},
        {"no-such-command-of-tessaly", nullptr,
         "The password command failed (exit status 9009: no such command).", 0, 5},
        {waits, nullptr, "The password command did not finish within 1 second.", 1, 6},
        // The shell exits; what it left behind holds the pipe open.
        {"start /b \"\" " + waits + " & echo pw", "pw", "", 0, 6},
        {"type \"" + large_file.string() + "\"", nullptr,
         "The password command printed more than 64 KiB; a password is one short line.", 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        std::optional<std::string> password;
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        try {
            password = Run_Password_Command(c.command, 1s);
        } catch (const Password_Command_Error& failure) {
            error = failure.what();
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (c.password != nullptr) {
            EXPECT_EQ(password, std::optional<std::string>(c.password));
            EXPECT_EQ(error, "");
        } else {
            EXPECT_EQ(password, std::nullopt);
            EXPECT_EQ(error, c.error);
        }
        EXPECT_GE(took.count(), c.at_least_seconds);
        EXPECT_LE(took.count(), c.at_most_seconds);
        EXPECT_EQ(Running_Stand_Ins_Once_Settled(), 0);
    }
}

}  // namespace
}  // namespace tessaly
