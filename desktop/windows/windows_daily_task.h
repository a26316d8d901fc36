#pragma once

#include <memory>

#include "desktop/daily_notification_task.h"

namespace tessaly {

// The task in the current user's Task Scheduler, in its root folder.
std::unique_ptr<Daily_Notification_Task> Make_Windows_Daily_Notification_Task();

}  // namespace tessaly
