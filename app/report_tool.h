#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/notification.h"
#include "core/dates.h"
#include "core/program_folders.h"
#include "desktop/daily_notification_task.h"

namespace tessaly {

inline constexpr const char* Report_Tool_Name = "tessaly-report";

// Exit statuses of the terminal report.
inline constexpr int Report_Tool_Printed = 0;
inline constexpr int Report_Tool_Empty_List = 1;
inline constexpr int Report_Tool_Unreadable_File = 2;
inline constexpr int Report_Tool_Usage = 64;
// The report could not be written to standard output (a full disk, a closed
// pipe): never reported as success.
inline constexpr int Report_Tool_Output_Failed = 74;

// What the tool takes from its process, so that tests can run it in-process.
struct Report_Tool_Environment {
    // Where the data and settings files are looked for: the window's own.
    Program_Folders Folders;
    // The local date as a whole day number.
    Day_Number Today = 0;
    // The time of a calendar export (its DTSTAMP).
    std::chrono::sys_seconds Now{};
    // Standard output shows colour escapes as colour: a terminal, or a
    // Windows console in virtual terminal mode.
    bool Stdout_Is_Terminal = false;
    // The NO_COLOR and TERM variables; empty when unset. Under --color auto
    // either can turn the colour off.
    std::string No_Color;
    std::string Term;
    // The locale's short-date strftime pattern (Locale_Short_Date_Pattern());
    // empty means year-month-day.
    std::string Locale_Date_Pattern;
    // Where --notify hands its notification; none where the system has no
    // notification server.
    Notification_Poster Post_Notification;
    // Called before output that ends its lines itself (--ical, --csv) is
    // written: standard output then passes its bytes unchanged
    // (Write_Standard_Output_As_Bytes).
    std::function<void()> Write_Output_As_Bytes;
    // The scheduled task that --daily-notification changes, for the programs
    // in Program_Folder (the tool's own); none where the system has no task.
    std::function<std::unique_ptr<Daily_Notification_Task>()> Open_Daily_Task;
    std::filesystem::path Program_Folder;
};

// Runs the tool on its arguments (without the program name) and returns the
// exit status. The report goes to `out`, every message to `err`.
int Run_Report_Tool(const std::vector<std::string>& args, const Report_Tool_Environment& env,
                    std::ostream& out, std::ostream& err);

}  // namespace tessaly
