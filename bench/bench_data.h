#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/dates.h"
#include "core/event_list.h"

namespace tessaly::bench {

// Monday 7 December 2026.
Day_Number Bench_Today();

// A full list (500 entries) with names, dates spread over a century, event
// types and comments, so that every field of the file format is exercised.
void Fill_Bench_List(Event_List& list);

// A new folder under the temporary folder; throws when it cannot be made.
std::filesystem::path Make_Scratch_Folder(const std::string& prefix);

// Runs the program with the arguments and waits for it. Returns its exit
// status, or -1 when it could not start or did not exit normally. With
// `quiet` its output goes to /dev/null.
int Run_And_Wait(const std::string& program, std::vector<std::string> args, bool quiet);

}  // namespace tessaly::bench
