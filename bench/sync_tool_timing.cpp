#include "sync_tool_timing.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace tessaly::bench {

int Requests_Of(const std::string& summary) {
    const std::size_t end = summary.rfind(" request");
    if (end == std::string::npos) {
        return -1;
    }
    const std::size_t start = summary.rfind(' ', end - 1);
    return std::atoi(summary.substr(start + 1, end - start - 1).c_str());
}

Timed_Run Run_Sync_Tool_Timed(const std::vector<std::string>& args,
                              const Sync_Tool_Environment& env) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const auto start = std::chrono::steady_clock::now();
    Timed_Run run;
    run.Status = Run_Sync_Tool(args, env, in, out, err);
    run.Milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.Requests = Requests_Of(out.str());
    if (run.Status != 0) {
        std::fprintf(stderr, "tessaly-sync exited with %d: %s", run.Status, err.str().c_str());
    }
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Print_Sync_Figures(int rounds, const Sync_Figures& figures) {
    std::printf("%d rounds, each against a fresh Radicale\n", rounds);
    for (std::size_t sync = 0; sync < figures.Names.size(); ++sync) {
        const auto& times = figures.Times[sync];
        const auto [low, high] = std::minmax_element(times.begin(), times.end());
        std::printf("%-26s median %9.1f ms  (min %.1f, max %.1f)  requests: %d\n",
                    figures.Names[sync], Median(times), *low, *high, figures.Requests[sync]);
    }
    if (figures.Yardstick_Times.empty()) {
        std::printf("vdirsyncer is not installed (apt-get install vdirsyncer): no yardstick\n");
        return;
    }
    const auto [low, high] =
        std::minmax_element(figures.Yardstick_Times.begin(), figures.Yardstick_Times.end());
    std::printf("%-26s median %9.1f ms  (min %.1f, max %.1f)\n", figures.Yardstick_Name,
                Median(figures.Yardstick_Times), *low, *high);
    const auto [fewest, most] = std::minmax_element(figures.Ratios.begin(), figures.Ratios.end());
    std::printf("first sync / %s: median ratio %.2f (min %.2f, max %.2f), each round paired\n",
                figures.Yardstick_Name, Median(figures.Ratios), *fewest, *most);
}

const char* Vdirsyncer_Path() {
#ifdef TESSALY_VDIRSYNCER_PATH
    return TESSALY_VDIRSYNCER_PATH;
#else
    return "";
#endif
}

}  // namespace tessaly::bench
