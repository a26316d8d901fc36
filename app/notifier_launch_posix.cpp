#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/notifier_launch.h"
#include "app/report_tool.h"

namespace tessaly {

namespace {

// The notifier takes the place of this process, so that its exit status is
// the tool's; it returns only when no notifier could be started.
int Exec_Notifier(const std::filesystem::path& tool_executable,
                  const Coming_Events_Notification& notification, std::ostream& err) {
    const std::filesystem::path folder = tool_executable.parent_path();
    const std::vector<std::filesystem::path> candidates = {
        folder / Notifier_Name,
        (folder / TESSALY_NOTIFIER_FOLDER_FROM_BINDIR / Notifier_Name).lexically_normal()};
    std::string urgency =
        notification.Urgency == Notification_Urgency::Critical ? "critical" : "normal";
    std::string body = notification.Body();
    std::cout.flush();
    err.flush();
    for (const std::filesystem::path& candidate : candidates) {
        std::string program = candidate.string();
        char* const argv[] = {program.data(), urgency.data(), body.data(), nullptr};
        ::execv(program.c_str(), argv);
        if (errno != ENOENT && errno != ENOTDIR) {
            err << Report_Tool_Name << ": \"" << program
                << "\" could not be started: " << std::strerror(errno) << "\n";
            return Report_Tool_Notification_Unavailable;
        }
    }
    err << Report_Tool_Name << ": desktop notifications are not available: " << Notifier_Name
        << " is neither in \"" << folder.string() << "\" nor in \""
        << candidates.back().parent_path().string() << "\"\n";
    return Report_Tool_Notification_Unavailable;
}

}  // namespace

Notification_Poster System_Notification_Poster(const std::filesystem::path& tool_executable) {
    return [tool_executable](const Coming_Events_Notification& notification, std::ostream& err) {
        return Exec_Notifier(tool_executable, notification, err);
    };
}

}  // namespace tessaly
