#pragma once

// Random histories of two devices syncing one calendar that a third client
// (a phone) changes as well (its alarms too), decoded from bytes, with the properties every
// history must keep. Shared by the fuzz target and the seeded test.

#include <optional>
#include <string>
#include <string_view>

namespace tessaly::test {

struct Sync_History_Result {
    // What property failed and how; none when all held.
    std::optional<std::string> Failure;
    // The steps taken, one a line.
    std::string Trace;
};

// Runs the history the bytes describe (at most Most_History_Steps steps),
// then a quiet phase in which both devices sync twice, and checks:
//  - no exception leaves Run_Sync;
//  - a sync answered Stop changes neither the list, the state nor the server;
//  - an entry leaves a device's list only where the other device, or the
//    phone, deleted it, or the user let the guard go on;
//  - a sync right after a sync changes nothing;
//  - after the quiet phase both lists and the server hold the same entries,
//    their leads included.
Sync_History_Result Run_Sync_History(std::string_view bytes);

inline constexpr int Most_History_Steps = 30;

}  // namespace tessaly::test
