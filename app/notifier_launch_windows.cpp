#include "app/notifier_launch.h"
#include "app/report_tool.h"

namespace tessaly {

Notification_Poster System_Notification_Poster(const std::filesystem::path&) {
    return [](const Coming_Events_Notification&, std::ostream& err) {
        err << Report_Tool_Name
            << ": --notify is not available on Windows: it posts to the notification server "
               "of a Linux desktop\n";
        return Report_Tool_Notification_Unavailable;
    };
}

}  // namespace tessaly
