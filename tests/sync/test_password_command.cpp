// The password command as the shell runs it: what it prints, how it fails,
// and that nothing it started outlives the call, however it behaves.
#include "sync/password_command.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The processes of the group that have not ended; zombies have, though an
// init that does not reap keeps them listed.
int Live_Processes_In_Group(pid_t group) {
    int live = 0;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
        std::ifstream stat(entry.path() / "stat");
        std::string text;
        if (!std::getline(stat, text)) {
            continue;
        }
        // pid (name) state ppid pgrp ...: the name may hold spaces and ')'.
        std::istringstream fields(text.substr(text.rfind(')') + 1));
        char state = 0;
        pid_t parent = 0;
        pid_t process_group = 0;
        if (fields >> state >> parent >> process_group && process_group == group && state != 'Z' &&
            state != 'X') {
            ++live;
        }
    }
    return live;
}

std::size_t Open_Descriptors() {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

struct Outcome {
    std::optional<std::string> password;
    std::string error;
    std::chrono::duration<double> took{};
    pid_t group = 0;
};

// Runs the command with a time limit of one second, the shell's process id
// (its group's) written to a file first.
Outcome Run_Recording_Group(const std::string& command) {
    const test::Temp_Dir dir;
    const fs::path group_file = dir.File("group");
    Outcome outcome;
    const auto start = std::chrono::steady_clock::now();
    try {
        outcome.password =
            Run_Password_Command("echo $$ > '" + group_file.string() + "'; " + command, 1s);
    } catch (const Password_Command_Error& error) {
        outcome.error = error.what();
    }
    outcome.took = std::chrono::steady_clock::now() - start;
    std::ifstream(group_file) >> outcome.group;
    return outcome;
}

TEST(Password_Command, EachCommandGivesItsPasswordOrItsErrorAndLeavesNothingRunning) {
    struct Case {
        const char* command;
        const char* password;  // null when it fails
        const char* error;
        double at_least_seconds;
        double at_most_seconds;
    };
    const Case cases[] = {
        {"printf 'pass word\\nsecond line\\n'", "pass word", "", 0, 3},
        {"printf 'pw\\r\\n'", "pw", "", 0, 3},
        {"printf 'no line end'", "no line end", "", 0, 3},
        {"true", nullptr, "The password command printed no password.", 0, 3},
        {"echo; echo second", nullptr, "The password command printed no password.", 0, 3},
        {"echo pw; exit 3", nullptr, "The password command failed (exit status 3).", 0, 3},
        {"no-such-command-of-tessaly", nullptr,
         "The password command failed (exit status 127: no such command).", 0, 3},
        {"kill -9 $$", nullptr, "The password command was ended by signal 9.", 0, 3},
        // Its input is empty, never this program's.
        {"cat; echo pw", "pw", "", 0, 3},
        {"exec sleep 100", nullptr, "The password command did not finish within 1 second.", 1, 4},
        {"echo pw; exec sleep 100", nullptr, "The password command did not finish within 1 second.",
         1, 4},
        // Only SIGKILL ends it.
        {"trap '' TERM; exec sleep 100", nullptr,
         "The password command did not finish within 1 second.", 1, 4},
        // Its output ends long before it does.
        {"exec > /dev/null; sleep 100", nullptr,
         "The password command did not finish within 1 second.", 1, 4},
        // The shell exits; what it left behind holds the pipe open.
        {"sleep 100 & echo pw", "pw", "", 0, 4},
        {"(trap '' TERM; exec sleep 100) & echo pw", "pw", "", 0, 4},
        // What it left behind without the pipe is ended too.
        {"sleep 100 > /dev/null & echo pw", "pw", "", 0, 3},
        {"head -c 70000 /dev/zero | tr '\\0' x", nullptr,
         "The password command printed more than 64 KiB; a password is one short line.", 0, 3},
        // Prints for ever: ended at the limit (the message), not at the time-out.
        {"exec yes", nullptr,
         "The password command printed more than 64 KiB; a password is one short line.", 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const std::size_t descriptors_before = Open_Descriptors();
        const Outcome outcome = Run_Recording_Group(c.command);
        if (c.password != nullptr) {
            EXPECT_EQ(outcome.password, std::optional<std::string>(c.password));
            EXPECT_EQ(outcome.error, "");
        } else {
            EXPECT_EQ(outcome.password, std::nullopt);
            EXPECT_EQ(outcome.error, c.error);
        }
        EXPECT_GE(outcome.took.count(), c.at_least_seconds);
        EXPECT_LE(outcome.took.count(), c.at_most_seconds);
        ASSERT_GT(outcome.group, 0);
        // A process just sent SIGKILL may still be on its way out on a busy
        // machine: give the kernel a moment, not the command.
        for (int i = 0; i < 200 && Live_Processes_In_Group(outcome.group) > 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(Live_Processes_In_Group(outcome.group), 0);
        // The shell was reaped, and nothing of the run stays open.
        errno = 0;
        EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
        EXPECT_EQ(errno, ECHILD);
        EXPECT_EQ(Open_Descriptors(), descriptors_before);
    }
}

// What this program ignores or blocks is not the command's business: a
// pipeline in it must still end on SIGPIPE.
TEST(Password_Command, CommandStartsWithNoSignalIgnoredOrBlocked) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGPIPE, &ignore, &previous), 0);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    sigset_t previous_mask;
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &blocked, &previous_mask), 0);

    const Outcome outcome = Run_Recording_Group(
        "sed -n 's/^Sig\\(Ign\\|Blk\\):[[:space:]]*/\\1 /p' /proc/$$/status |"
        " tr '\\n' ' '; echo");

    ::pthread_sigmask(SIG_SETMASK, &previous_mask, nullptr);
    ::sigaction(SIGPIPE, &previous, nullptr);
    ASSERT_TRUE(outcome.password) << outcome.error;
    std::istringstream fields(*outcome.password);
    std::string name;
    std::string mask;
    int seen = 0;
    while (fields >> name >> mask) {
        SCOPED_TRACE(name + " " + mask);
        const unsigned long long bits = std::stoull(mask, nullptr, 16);
        EXPECT_EQ(bits & (1ULL << (name == "Ign" ? SIGPIPE - 1 : SIGUSR1 - 1)), 0u);
        ++seen;
    }
    EXPECT_EQ(seen, 2);
}

TEST(Password_Command, TimeOutMessageCountsWholeSeconds) {
    const auto message = [](std::chrono::milliseconds limit) {
        try {
            detail::Throw_Password_Command_Timed_Out(limit);
        } catch (const Password_Command_Error& error) {
            return std::string(error.what());
        }
        return std::string();
    };
    EXPECT_EQ(message(Password_Command_Time_Limit),
              "The password command did not finish within 30 seconds.");
    EXPECT_EQ(message(1500ms), "The password command did not finish within 2 seconds.");
}

}  // namespace
}  // namespace tessaly
