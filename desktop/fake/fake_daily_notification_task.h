#pragma once

#include <filesystem>
#include <string>

#include "desktop/daily_notification_task.h"

namespace tessaly {

// A task held in memory; a test may make the scheduler unreachable or make
// it refuse changes.
class Fake_Daily_Notification_Task final : public Daily_Notification_Task {
public:
    State Query() override {
        if (!Reachable) {
            failure_ = Reason;
            return State::Unknown;
        }
        return Present ? State::Present : State::Absent;
    }
    bool Add(const std::filesystem::path& program_folder) override {
        ++Changes;
        if (!Reachable || !Writable) {
            failure_ = Reason;
            return false;
        }
        Present = true;
        Folder = program_folder;
        return true;
    }
    bool Remove() override {
        ++Changes;
        if (!Reachable || !Writable) {
            failure_ = Reason;
            return false;
        }
        Present = false;
        return true;
    }
    std::string Failure() const override { return failure_; }

    bool Present = false;
    bool Reachable = true;
    bool Writable = true;
    std::string Reason = "access is denied";
    std::filesystem::path Folder;
    int Changes = 0;

private:
    std::string failure_;
};

}  // namespace tessaly
