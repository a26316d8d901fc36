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

// The rounds' figures as both sync benchmarks print them: each kind of sync
// with its median and spread and its requests, then the yardstick and the
// first sync's ratio to it, paired within each round (none where
// `yardstick_times` is empty: vdirsyncer is not installed).
struct Sync_Figures {
    std::vector<const char*> Names;
    std::vector<std::vector<double>> Times;
    std::vector<int> Requests;
    const char* Yardstick_Name = "";
    std::vector<double> Yardstick_Times;
    std::vector<double> Ratios;
};
void Print_Sync_Figures(int rounds, const Sync_Figures& figures);

// vdirsyncer, the sync benchmarks' yardstick; empty where the build found none.
const char* Vdirsyncer_Path();

}  // namespace tessaly::bench
