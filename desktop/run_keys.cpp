#include "desktop/run_keys.h"

#include <utility>

namespace tessaly {

std::string Run_Value_Of(const std::string& program_path) {
    return '"' + program_path + '"';
}

std::string Program_Of_Run_Value(const std::string& value) {
    if (value.size() >= 2 && value.front() == '"') {
        const std::size_t end = value.find('"', 1);
        if (end != std::string::npos) {
            return value.substr(1, end - 1);
        }
    }
    return value;
}

Machine_Or_User_Run_Keys::Machine_Or_User_Run_Keys(std::unique_ptr<Auto_Start_Entries> machine,
                                                   std::unique_ptr<Auto_Start_Entries> user)
    : machine_(std::move(machine)), user_(std::move(user)) {}

std::string Machine_Or_User_Run_Keys::Key_Path() {
    return machine_->Key_Path();
}

bool Machine_Or_User_Run_Keys::Key_Exists() {
    return machine_->Key_Exists() || user_->Key_Exists();
}

std::optional<std::string> Machine_Or_User_Run_Keys::Read_Entry(const std::string& name) {
    std::optional<std::string> entry = user_->Read_Entry(name);
    if (!entry) {
        entry = machine_->Read_Entry(name);
    }
    if (!entry) {
        return std::nullopt;
    }
    return Program_Of_Run_Value(*entry);
}

bool Machine_Or_User_Run_Keys::Write_Entry(const std::string& name,
                                           const std::string& program_path) {
    const std::string value = Run_Value_Of(program_path);
    if (machine_->Write_Entry(name, value)) {
        user_->Delete_Entry(name);
        return true;
    }
    return user_->Write_Entry(name, value);
}

bool Machine_Or_User_Run_Keys::Delete_Entry(const std::string& name) {
    const bool machine_changed = machine_->Delete_Entry(name);
    const bool user_changed = user_->Delete_Entry(name);
    return machine_changed || user_changed;
}

bool Machine_Or_User_Run_Keys::Paths_Ignore_Case() const {
    return machine_->Paths_Ignore_Case();
}

}  // namespace tessaly
