#pragma once

#include <filesystem>
#include <string>

namespace tessaly {

// The scheduled task named Daily_Task_Name that runs the calendar sync and
// the coming-events notification at the user's log-on and daily at 09:00:
// Windows' Task Scheduler. Linux has a timer unit instead and no task.
class Daily_Notification_Task {
public:
    enum class State { Absent, Present, Unknown };

    virtual ~Daily_Notification_Task() = default;

    // Whether the task is there; Unknown when the scheduler cannot be asked.
    virtual State Query() = 0;
    // Adds the task, or replaces it, for the programs in that folder.
    virtual bool Add(const std::filesystem::path& program_folder) = 0;
    // Removes the task; one already absent is no error.
    virtual bool Remove() = 0;
    // Why the last call failed, as the end of a sentence.
    virtual std::string Failure() const = 0;
};

inline constexpr const char* Daily_Task_Name = "Tessaly daily notification";

}  // namespace tessaly
