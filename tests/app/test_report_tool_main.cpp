// The built program: what its main() takes from the process (the files
// beside it, the terminal, the environment) and its exit statuses.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/report_tool.h"
#include "core/data_file.h"
#include "core/dates.h"
#include "core/event_list.h"
#include "report_tool_expected.h"
#include "test_support/scoped_environment.h"
#include "test_support/temp_dir.h"

extern char** environ;

namespace tessaly {
namespace {

using test::Demo_Report_7_Dec_2026;
using test::Tool_Result;
using test::Try_Help;

// The built program, copied into a folder of its own so that its data and
// settings files are the test's.
class Report_Tool_Process_Test : public testing::Test {
protected:
    Report_Tool_Process_Test() { std::filesystem::copy_file(TESSALY_REPORT_TOOL_PATH, program_); }

    Tool_Result Run(const std::vector<std::string>& args, const char* output = nullptr) const {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string out_path = output != nullptr ? output : folder_.File("out").string();
        const std::string err_path = folder_.File("err").string();
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_path.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_path.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        Tool_Result result;
        result.Status = Wait(Spawn(args, actions, environ));
        posix_spawn_file_actions_destroy(&actions);
        if (output == nullptr) {
            result.Out = test::Read_Bytes(out_path);
        }
        result.Err = test::Read_Bytes(err_path);
        return result;
    }

    // Runs the program with its standard output on a pseudo-terminal, and
    // with `variables` ("NAME=value") in place of the test's own NO_COLOR and
    // TERM. The terminal turns each "\n" into "\r\n".
    Tool_Result Run_On_Terminal(const std::vector<std::string>& args,
                                const std::vector<std::string>& variables) const {
        Tool_Result result;
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
            ADD_FAILURE() << "no pseudo-terminal";
            return result;
        }
        const int terminal = ::open(::ptsname(master), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        std::vector<std::string> settings;
        for (char** variable = environ; *variable != nullptr; ++variable) {
            const std::string_view text = *variable;
            if (!text.starts_with("NO_COLOR=") && !text.starts_with("TERM=")) {
                settings.emplace_back(text);
            }
        }
        settings.insert(settings.end(), variables.begin(), variables.end());
        std::vector<char*> envp;
        for (std::string& setting : settings) {
            envp.push_back(setting.data());
        }
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, terminal, STDOUT_FILENO);
        const std::string err_path = folder_.File("err").string();
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_path.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const pid_t child = Spawn(args, actions, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(terminal);
        // Reading ends once the program has closed the terminal.
        char buffer[4096];
        for (ssize_t got; (got = ::read(master, buffer, sizeof buffer)) > 0;) {
            result.Out.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(master);
        result.Status = Wait(child);
        result.Err = test::Read_Bytes(err_path);
        return result;
    }

    // The child's id, or 0 when it could not be started.
    pid_t Spawn(const std::vector<std::string>& args, const posix_spawn_file_actions_t& actions,
                char** envp) const {
        std::vector<std::string> all = {program_.string()};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        pid_t child = 0;
        if (posix_spawn(&child, program_.c_str(), &actions, nullptr, argv.data(), envp) != 0) {
            return 0;
        }
        return child;
    }

    // The exit status, or -1 when the program did not exit by itself.
    static int Wait(pid_t child) {
        int status = 0;
        if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
            return WEXITSTATUS(status);
        }
        return -1;
    }

    test::Temp_Dir folder_;
    std::filesystem::path program_ = folder_.File("tessaly-report");
    // Each test sets the home and base folders it needs.
    test::Scoped_Environment home_{"HOME", std::nullopt};
    test::Scoped_Environment data_home_{"XDG_DATA_HOME", std::nullopt};
    test::Scoped_Environment config_home_{"XDG_CONFIG_HOME", std::nullopt};
};

TEST_F(Report_Tool_Process_Test, ReportsFromFilesBesideItself) {
    Event_List list;
    TName_And_Event_Data& entry = list.Append();
    entry.Name = "Nora Vale";
    entry.Orig_Date = Encode_Date(1986, 12, 7);
    entry.Event_Type = "Birthday";
    TName_And_Event_Data& later = list.Append();
    later.Name = "Hal and Ivy";
    later.Orig_Date = Encode_Date(2001, 12, 19);
    later.Event_Type = "Wedding Anniversary";
    Save_Data_To_File_ButtonClick(list, folder_.File("Tessaly.dat"));
    test::Write_Bytes(folder_.File("Tessaly.ini"), "[Tessaly]\r\nDays_Threshold_SpinEdit=12\r\n");

    const Tool_Result result = Run({"--date", "2026-12-07", "--date-format", "%d/%m/%Y"});
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Err, "");
    EXPECT_NE(result.Out.find("occuring in the next 12 days.\n"), std::string::npos);
    EXPECT_NE(result.Out.find("    1.  Nora Vale's 40th Birthday today (Mon, 07/12/2026)\n"
                              "    2.  Hal and Ivy's 25th Wedding Anniversary in 12 days (Sat, "
                              "19/12/2026)\n"),
              std::string::npos)
        << result.Out;
    // Not a terminal: no escapes.
    EXPECT_EQ(result.Out.find('\x1b'), std::string::npos);
}

// Installed (its data folder beside bin), it reads the window's list from
// the home folder and ignores a file beside itself.
TEST_F(Report_Tool_Process_Test, InstalledReportsOnTheListInTheHome) {
    const std::filesystem::path prefix = folder_.File("prefix");
    std::filesystem::create_directories(prefix / "bin");
    std::filesystem::create_directories(prefix / "share" / "tessaly");
    test::Write_Bytes(prefix / "share" / "tessaly" / "catalog.txt", "");
    std::filesystem::rename(program_, prefix / "bin" / "tessaly-report");
    program_ = prefix / "bin" / "tessaly-report";
    const std::filesystem::path home = folder_.File("home");
    const std::filesystem::path data = home / ".local" / "share" / "tessaly";
    std::filesystem::create_directories(data);
    std::filesystem::create_directories(home / ".config" / "tessaly");

    Event_List list;
    TName_And_Event_Data& entry = list.Append();
    entry.Name = "Nora Vale";
    entry.Orig_Date = Encode_Date(1986, 12, 7);
    entry.Event_Type = "Birthday";
    Save_Data_To_File_ButtonClick(list, data / "Tessaly.dat");
    test::Write_Bytes(home / ".config" / "tessaly" / "Tessaly.ini",
                      "[Tessaly]\r\nDays_Threshold_SpinEdit=3\r\n");
    test::Write_Bytes(prefix / "bin" / "Tessaly.dat", "not read");

    ::setenv("HOME", home.c_str(), 1);
    const Tool_Result result = Run({"--date", "2026-12-07"});
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_NE(result.Out.find("Nora Vale's 40th Birthday today"), std::string::npos) << result.Out;
    EXPECT_NE(result.Out.find("occuring in the next 3 days."), std::string::npos) << result.Out;
}

TEST_F(Report_Tool_Process_Test, DemoAndExitStatuses) {
    const Tool_Result demo = Run({"--demo", "--date", "2026-12-07", "--date-format", "%d/%m/%Y"});
    EXPECT_EQ(demo.Status, 0);
    EXPECT_EQ(demo.Out, Demo_Report_7_Dec_2026);

    const Tool_Result empty = Run({});
    EXPECT_EQ(empty.Status, 1);
    EXPECT_EQ(empty.Err, "Error: There are no entries in the list.\n");

    test::Write_Bytes(folder_.File("Tessaly.dat"), "V1.1\r\n1\r\nNora\r\n0x10\r\n");
    const Tool_Result unreadable = Run({});
    EXPECT_EQ(unreadable.Status, 2);
    EXPECT_NE(unreadable.Err.find("Invalid numeric input"), std::string::npos);

    const Tool_Result usage = Run({"--days", "0"});
    EXPECT_EQ(usage.Status, 64);
    EXPECT_NE(usage.Err.find(Try_Help), std::string::npos);
}

// The program itself reads NO_COLOR and TERM when it writes to a terminal.
TEST_F(Report_Tool_Process_Test, EnvironmentDecidesColourOnATerminal) {
    struct Setting {
        std::vector<std::string> Variables;
        std::vector<std::string> Args;
        bool Coloured;
    };
    const std::vector<Setting> settings = {
        {{"TERM=xterm"}, {}, true},
        {{}, {}, true},
        {{"TERM=xterm", "NO_COLOR="}, {}, true},
        {{"TERM=xterm", "NO_COLOR=1"}, {}, false},
        {{"TERM=dumb"}, {}, false},
        {{"TERM=dumb", "NO_COLOR=1"}, {"--color", "always"}, true},
    };
    for (const Setting& setting : settings) {
        std::vector<std::string> args = {"--demo", "--date", "2026-12-07"};
        args.insert(args.end(), setting.Args.begin(), setting.Args.end());
        const Tool_Result result = Run_On_Terminal(args, setting.Variables);
        const std::string label = testing::PrintToString(setting.Variables);
        ASSERT_EQ(result.Status, 0) << label << result.Err;
        EXPECT_NE(result.Out.find("5 events found and reported."), std::string::npos) << label;
        EXPECT_EQ(result.Out.find("\x1b[1;34mJuniper's \x1b[0m") != std::string::npos,
                  setting.Coloured)
            << label << result.Out;
        EXPECT_EQ(result.Out.find('\x1b') != std::string::npos, setting.Coloured) << label;
    }
}

TEST_F(Report_Tool_Process_Test, FullDiskIsAFailure) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    const Tool_Result result = Run({"--demo"}, "/dev/full");
    EXPECT_EQ(result.Status, Report_Tool_Output_Failed);
    EXPECT_NE(result.Err.find("could not be written"), std::string::npos);
}

}  // namespace
}  // namespace tessaly
