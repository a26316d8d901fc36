#include "app/daily_notification_option.h"

#include "app/report_tool.h"

namespace tessaly {

int Run_Daily_Notification_Option(const std::string& mode, Daily_Notification_Task* task,
                                  const std::filesystem::path& program_folder, std::ostream& out,
                                  std::ostream& err) {
    if (mode != "on" && mode != "off" && mode != "status") {
        err << Report_Tool_Name << ": invalid --daily-notification '" << mode
            << "': use on, off or status\n"
            << "Try '" << Report_Tool_Name << " --help'.\n";
        return Report_Tool_Usage;
    }
    if (task == nullptr) {
        err << Report_Tool_Name
            << ": --daily-notification is for Windows; here the daily notification is a "
               "timer of your session: systemctl --user "
            << (mode == "off" ? "disable" : "enable --now") << " tessaly-notify.timer\n";
        return Report_Tool_Notification_Unavailable;
    }
    const std::string task_name = std::string("the scheduled task \"") + Daily_Task_Name + "\"";
    if (mode == "status") {
        switch (task->Query()) {
            case Daily_Notification_Task::State::Present:
                out << "on: " << task_name << " is there\n";
                return 0;
            case Daily_Notification_Task::State::Absent:
                out << "off: there is no " << task_name.substr(4) << "\n";
                return 1;
            case Daily_Notification_Task::State::Unknown:
                break;
        }
        err << Report_Tool_Name
            << ": whether the daily notification is on is not known: " << task->Failure() << "\n";
        return Report_Tool_Notification_Unavailable;
    }
    if (mode == "on") {
        if (!task->Add(program_folder)) {
            err << Report_Tool_Name
                << ": the daily notification could not be turned on: " << task->Failure() << "\n";
            return Report_Tool_Notification_Unavailable;
        }
        out << "The daily notification is on: " << task_name
            << " syncs the calendar (when an account is set) and shows the birthdays and "
               "events due at log-on and daily at 09:00.\n";
        return 0;
    }
    if (!task->Remove()) {
        err << Report_Tool_Name
            << ": the daily notification could not be turned off: " << task->Failure() << "\n";
        return Report_Tool_Notification_Unavailable;
    }
    out << "The daily notification is off: " << task_name << " is removed.\n";
    return 0;
}

}  // namespace tessaly
