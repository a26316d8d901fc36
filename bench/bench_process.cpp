// Times the terminal report as a user meets it: from process start to exit,
// on a 500-entry file, with its output thrown away.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "bench_data.h"
#include "core/data_file.h"
#include "core/event_list.h"

extern char** environ;

namespace {

// Runs the program once and returns its exit status, or -1 when it could
// not be started or did not exit normally.
int Run_Once(const std::string& program, std::vector<std::string> args) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int error =
        ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(error));
        return -1;
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

double Percentile(const std::vector<double>& sorted, double fraction) {
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1));
    return sorted[index];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
    const std::string program = argc > 2 ? argv[2] : TESSALY_REPORT_TOOL_PATH;
    if (runs < 1) {
        std::fprintf(stderr, "usage: %s [RUNS] [TOOL [ARGUMENTS...]]\n", argv[0]);
        return 64;
    }

    std::string folder_pattern =
        (std::filesystem::temp_directory_path() / "tessaly-bench-XXXXXX").string();
    if (::mkdtemp(folder_pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = folder_pattern;
    const std::filesystem::path file = folder / "Tessaly.dat";
    tessaly::Event_List list;
    tessaly::bench::Fill_Bench_List(list);
    tessaly::Save_Data_To_File_ButtonClick(list, file);
    std::vector<std::string> args = {"--file", file.string(), "--date-format", "%d/%m/%Y"};
    if (argc > 3) {
        args.assign(argv + 3, argv + argc);  // to compare other runs of the program
    }

    int exit_code = 0;
    std::vector<double> milliseconds;
    milliseconds.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const int status = Run_Once(program, args);
        const auto end = std::chrono::steady_clock::now();
        if (status != 0) {
            std::fprintf(stderr, "%s exited with %d\n", program.c_str(), status);
            exit_code = 1;
            break;
        }
        milliseconds.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (exit_code != 0) {
        return exit_code;
    }

    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("tessaly-report on %d entries, %d runs: min %.2f ms, median %.2f ms, p90 %.2f ms\n",
                list.Event_Count(), runs, milliseconds.front(), Percentile(milliseconds, 0.5),
                Percentile(milliseconds, 0.9));
    return 0;
}
