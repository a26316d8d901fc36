#include "desktop/run_keys.h"

#include <utility>

namespace tessaly {

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
    if (auto entry = user_->Read_Entry(name)) {
        return entry;
    }
    return machine_->Read_Entry(name);
}

bool Machine_Or_User_Run_Keys::Write_Entry(const std::string& name,
                                           const std::string& program_path) {
    if (machine_->Write_Entry(name, program_path)) {
        user_->Delete_Entry(name);
        return true;
    }
    return user_->Write_Entry(name, program_path);
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
