#include "bench_data.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <stdexcept>
#include <string>

extern char** environ;

namespace tessaly::bench {

Day_Number Bench_Today() {
    return Encode_Date(2026, 12, 7);
}

void Fill_Bench_List(Event_List& list) {
    static constexpr std::array<const char*, 4> Event_Types = {
        "Birthday", "Wedding Anniversary", "Reunion", "Started Work at the Power Plant"};
    list.Initialise_Entire_Array_ButtonClick();
    for (int i = 0; i < Event_Array_Size; ++i) {
        TName_And_Event_Data& entry = list.Append();
        entry.Name = "Person " + std::to_string(i * 7919 % 1000) + " Quenby";
        // Spread over about a century; 71 and 365 have no common factor, so the
        // days of the year are spread evenly too.
        entry.Orig_Date = Bench_Today() - 200 - static_cast<Day_Number>(i * 71);
        entry.Event_Type = Event_Types[static_cast<std::size_t>(i) % Event_Types.size()];
        entry.Comments = "Comment for entry " + std::to_string(i);
    }
}

std::filesystem::path Make_Scratch_Folder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a folder like " + pattern);
    }
    return pattern;
}

int Run_And_Wait(const std::string& program, std::vector<std::string> args, bool quiet) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
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
        return -1;
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

}  // namespace tessaly::bench
