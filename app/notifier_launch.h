#pragma once

#include <filesystem>

#include "app/notification.h"

namespace tessaly {

// How this system's `tessaly-report` posts its notification: on Linux by
// handing it to the notifier program, found beside the tool (the build
// folder, a copy of its own) or in the installed helper folder.
Notification_Poster System_Notification_Poster(const std::filesystem::path& tool_executable);

}  // namespace tessaly
