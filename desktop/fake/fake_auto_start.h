#pragma once

#include <map>
#include <optional>
#include <string>

#include "desktop/auto_start.h"

namespace tessaly {

// Entries held in memory. A test may take the store away, make it refuse
// changes, or make it keep something other than what was written.
class Fake_Auto_Start_Entries final : public Auto_Start_Entries {
public:
    std::string Key_Path() override { return Path; }
    bool Key_Exists() override { return Exists; }
    std::optional<std::string> Read_Entry(const std::string& name) override {
        const auto found = Entries.find(name);
        if (!Exists || found == Entries.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    std::optional<std::string> Unstartable_Reason(const std::string&) const override {
        return Unstartable;
    }
    bool Write_Entry(const std::string& name, const std::string& program_path) override {
        if (!Writable) {
            return false;
        }
        Entries[name] = Stored_Instead.empty() ? program_path : Stored_Instead;
        return true;
    }
    bool Delete_Entry(const std::string& name) override {
        if (!Writable || Keeps_Deleted) {
            return false;
        }
        Entries.erase(name);
        return true;
    }
    bool Paths_Ignore_Case() const override { return Ignore_Case; }

    std::map<std::string, std::string> Entries;
    std::string Path = "/home/user/.config/autostart";
    bool Exists = true;
    bool Writable = true;
    // A write "succeeds" but this is what the store then holds.
    std::string Stored_Instead;
    // A delete is accepted but the entry stays.
    bool Keeps_Deleted = false;
    bool Ignore_Case = false;
    // Why no entry could start the program, for every path.
    std::optional<std::string> Unstartable;
};

}  // namespace tessaly
