#pragma once

#include <map>
#include <vector>

#include "desktop/desktop_services.h"

namespace tessaly {

// Answers what a test sets.
class Fake_Desktop_Services final : public Desktop_Services {
public:
    std::optional<std::string> Auto_Run_Entry(const std::string& program_name) override {
        const auto found = Auto_Run_Entries.find(program_name);
        if (found == Auto_Run_Entries.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    std::optional<Startup_Show_Command> Startup_Show() override { return Show_Command; }
    bool View_In_Notepad(const std::filesystem::path& file) override {
        Viewed_Files.push_back(file);
        return Editor_Found;
    }

    std::map<std::string, std::string> Auto_Run_Entries;
    std::optional<Startup_Show_Command> Show_Command;
    std::vector<std::filesystem::path> Viewed_Files;
    bool Editor_Found = true;
};

}  // namespace tessaly
