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

const char* Vdirsyncer_Path() {
#ifdef TESSALY_VDIRSYNCER_PATH
    return TESSALY_VDIRSYNCER_PATH;
#else
    return "";
#endif
}

}  // namespace tessaly::bench
