#include "app/daily_notification_option.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "desktop/fake/fake_daily_notification_task.h"

namespace tessaly {
namespace {

TEST(Daily_Notification_Option, ChangesTheTaskOnlyAsAskedAndSaysWhyItFailed) {
    enum class Scheduler { Absent, Present, Unreachable, Refusing };
    struct Case {
        const char* Mode;
        Scheduler Before;
        int Status;
        bool Present_After;
        const char* Says;  // on standard output for 0 and 1, else on standard error
    };
    const Case cases[] = {
        {"on", Scheduler::Absent, 0, true, "The daily notification is on"},
        {"on", Scheduler::Present, 0, true, "The daily notification is on"},
        {"off", Scheduler::Present, 0, false, "The daily notification is off"},
        {"off", Scheduler::Absent, 0, false, "is removed"},
        {"status", Scheduler::Present, 0, true, "on: the scheduled task \"Tessaly daily"},
        {"status", Scheduler::Absent, 1, false, "off: there is no scheduled task"},
        {"on", Scheduler::Refusing, 69, false, "could not be turned on: access is denied"},
        {"off", Scheduler::Refusing, 69, true, "could not be turned off: access is denied"},
        {"status", Scheduler::Unreachable, 69, false, "is not known: access is denied"},
        {"ON", Scheduler::Absent, 64, false, "invalid --daily-notification 'ON'"},
        {"", Scheduler::Present, 64, true, "use on, off or status"},
    };
    for (const Case& test_case : cases) {
        SCOPED_TRACE(std::string(test_case.Mode) + " " +
                     std::to_string(static_cast<int>(test_case.Before)));
        Fake_Daily_Notification_Task task;
        task.Present = test_case.Before == Scheduler::Present ||
                       (test_case.Before == Scheduler::Refusing && test_case.Present_After);
        task.Reachable = test_case.Before != Scheduler::Unreachable;
        task.Writable = test_case.Before != Scheduler::Refusing;
        std::ostringstream out;
        std::ostringstream err;
        const int status = Run_Daily_Notification_Option(test_case.Mode, &task,
                                                         "C:\\Program Files\\Tessaly", out, err);
        EXPECT_EQ(status, test_case.Status);
        EXPECT_EQ(task.Present, test_case.Present_After);
        const std::string& said = status <= 1 ? out.str() : err.str();
        EXPECT_NE(said.find(test_case.Says), std::string::npos) << said;
        EXPECT_EQ((status <= 1 ? err : out).str(), "");
        if (std::string(test_case.Mode) == "on" && status == 0) {
            EXPECT_EQ(task.Folder, "C:\\Program Files\\Tessaly");
        }
        if (std::string(test_case.Mode) == "status" || status == 64) {
            EXPECT_EQ(task.Changes, 0);
        }
    }
}

TEST(Daily_Notification_Option, WithoutATaskNamesTheTimerAndFails) {
    for (const char* mode : {"on", "off", "status"}) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(Run_Daily_Notification_Option(mode, nullptr, "/usr/bin", out, err), 69);
        EXPECT_NE(err.str().find("systemctl --user "), std::string::npos);
        EXPECT_NE(err.str().find(" tessaly-notify.timer\n"), std::string::npos);
        EXPECT_EQ(out.str(), "");
    }
}

}  // namespace
}  // namespace tessaly
