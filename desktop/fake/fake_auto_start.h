#pragma once

#include <map>
#include <string>

#include "desktop/auto_start.h"

namespace tessaly {

// Entries held in memory; a test may make writing and deleting fail.
class Fake_Auto_Start_Entries final : public Auto_Start_Entries {
public:
    std::optional<std::string> Read_Entry(const std::string& name) override {
        const auto found = Entries.find(name);
        if (found == Entries.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    bool Write_Entry(const std::string& name, const std::string& command_line) override {
        if (!Writable) {
            return false;
        }
        Entries[name] = command_line;
        return true;
    }
    bool Delete_Entry(const std::string& name) override {
        if (!Writable) {
            return Entries.count(name) == 0;
        }
        Entries.erase(name);
        return true;
    }

    std::map<std::string, std::string> Entries;
    bool Writable = true;
};

}  // namespace tessaly
