#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <vector>

#include "ui/common/file_dialogs.h"

namespace tessaly::test {

// Records every request and answers from a queue: a path is the user's
// choice, none a cancel. With the queue empty the user cancels.
class Scripted_File_Dialogs final : public File_Dialogs {
public:
    std::optional<std::filesystem::path> Get_Open_File_Name(
        QWidget*, const Open_File_Request& request) override {
        requests.push_back(request);
        if (choices.empty()) {
            return std::nullopt;
        }
        std::optional<std::filesystem::path> choice = choices.front();
        choices.pop_front();
        return choice;
    }

    std::optional<std::filesystem::path> Get_Save_File_Name(
        QWidget*, const Save_File_Request& request) override {
        save_requests.push_back(request);
        if (choices.empty()) {
            return std::nullopt;
        }
        std::optional<std::filesystem::path> choice = choices.front();
        choices.pop_front();
        return choice;
    }

    void Choose(const std::filesystem::path& file) { choices.emplace_back(file); }
    void Cancel() { choices.emplace_back(std::nullopt); }

    std::vector<Open_File_Request> requests;
    std::vector<Save_File_Request> save_requests;
    std::deque<std::optional<std::filesystem::path>> choices;
};

}  // namespace tessaly::test
