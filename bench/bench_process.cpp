// Times the terminal report as a user meets it: from process start to exit,
// on a 500-entry file, with its output thrown away.

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

namespace {

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

    const std::filesystem::path folder = tessaly::bench::Make_Scratch_Folder("tessaly-bench");
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
        const int status = tessaly::bench::Run_And_Wait(program, args, true);
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
