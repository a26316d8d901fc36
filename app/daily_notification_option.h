#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "desktop/daily_notification_task.h"

namespace tessaly {

// What `tessaly-report --daily-notification on|off|status` does with the
// task of the programs in `program_folder`, and its exit status: 0 done (for
// status: on), 1 status off, 64 another word, 69 the task could not be
// changed or asked. Without a task (Linux) it names the timer to enable and
// returns 69.
int Run_Daily_Notification_Option(const std::string& mode, Daily_Notification_Task* task,
                                  const std::filesystem::path& program_folder, std::ostream& out,
                                  std::ostream& err);

}  // namespace tessaly
