#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The Task Scheduler's XML definition of the daily notification task: two
// minutes after log-on of that user and daily at 09:00 local time, a missed
// run made up when the computer is next on, run only while the user is
// logged on, without elevation, stopped after a few minutes; it runs
// "tessaly-notify.exe" --daily from the program folder (a Windows path,
// UTF-8), which syncs and notifies. The user is a SID or DOMAIN\name.
std::string Daily_Task_Definition(std::string_view program_folder, std::string_view user);

}  // namespace tessaly
