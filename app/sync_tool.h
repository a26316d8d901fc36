#pragma once

#include <chrono>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/program_folders.h"
#include "desktop/secret_store.h"

namespace tessaly {

inline constexpr const char* Sync_Tool_Name = "tessaly-sync";

// Exit statuses of the sync tool, one table for every action.
namespace sync_status {
inline constexpr int Synced = 0;
// Synced, but entries changed on both sides are now in the list twice.
inline constexpr int Conflicts_Kept_Both = 1;
inline constexpr int Usage = 2;
// No account is set, or no password could be had for it.
inline constexpr int No_Account = 3;
// The server refused the user or the password.
inline constexpr int Refused = 4;
// The server could not be reached, or failed.
inline constexpr int Server_Failed = 5;
// The list (or the settings file) could not be read or saved.
inline constexpr int List_Failed = 6;
// The window has the list open; it syncs it itself.
inline constexpr int Window_Open = 7;
// The sync would delete more entries or events than it may without the
// user's word; nothing was changed.
inline constexpr int Stopped_Before_Deleting = 8;
}  // namespace sync_status

// What the tool takes from its process, so that tests can run it in-process.
struct Sync_Tool_Environment {
    // Where the data and settings files are: the window's own.
    Program_Folders Folders;
    // The time written into the events sent (their DTSTAMP).
    std::chrono::sys_seconds Now{};
    // The desktop's password store, opened only when needed.
    std::function<std::unique_ptr<Secret_Store>()> Open_Secret_Store;
    std::chrono::milliseconds Connect_Timeout{10000};
    // For one whole request.
    std::chrono::milliseconds Timeout{60000};
};

// Runs the tool on its arguments (without the program name) and returns the
// exit status. A password to keep is read from `in`; the summary goes to
// `out`, every message to `err`.
int Run_Sync_Tool(const std::vector<std::string>& args, const Sync_Tool_Environment& env,
                  std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace tessaly
