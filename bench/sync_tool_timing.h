#pragma once

#include <string>
#include <vector>

#include "app/sync_tool.h"

namespace tessaly::bench {

// One in-process run of tessaly-sync: wall time, requests sent (from its
// summary line) and exit status.
struct Timed_Run {
    double Milliseconds = 0;
    int Requests = 0;
    int Status = 0;
};

// The requests of a summary line that ends "..., N requests."; -1 where
// there is none.
int Requests_Of(const std::string& summary);

// Runs the tool on the arguments; a failure is said on standard error.
Timed_Run Run_Sync_Tool_Timed(const std::vector<std::string>& args,
                              const Sync_Tool_Environment& env);

double Median(std::vector<double> values);

// vdirsyncer, the sync benchmarks' yardstick; empty where the build found none.
const char* Vdirsyncer_Path();

}  // namespace tessaly::bench
