#include "desktop/run_keys.h"

#include <utility>

#include "core/text_encoding.h"

namespace tessaly {

namespace {

// Only an administrator may change the machine's key.
constexpr const char* Machine_Key_Refusal =
    "Windows lets only an administrator change what starts for every user of this PC.\r\nStart "
    "this program with \"Run as administrator\" to change it.";

// Backslashes, without one at the end, in upper case: how Windows compares.
std::string Comparable_Folder(std::string path) {
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    while (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    return Ascii_Upper_Case(path);
}

}  // namespace

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

bool Starts_For_Every_User(const std::string& program_path,
                           const std::vector<std::string>& program_files_folders) {
    const std::string program = Comparable_Folder(program_path);
    for (const std::string& folder : program_files_folders) {
        const std::string prefix = Comparable_Folder(folder);
        if (!prefix.empty() && program.size() > prefix.size() + 1 &&
            program.compare(0, prefix.size(), prefix) == 0 && program[prefix.size()] == '\\') {
            return true;
        }
    }
    return false;
}

bool Startup_Approved_Is_Off(std::string_view bytes) {
    return !bytes.empty() && (static_cast<unsigned char>(bytes.front()) & 1u) != 0;
}

std::string Startup_Approved_On_Bytes() {
    std::string bytes(12, '\0');
    bytes[0] = '\x02';
    return bytes;
}

Machine_Or_User_Run_Keys::Machine_Or_User_Run_Keys(std::unique_ptr<Auto_Start_Entries> machine,
                                                   std::unique_ptr<Auto_Start_Entries> user,
                                                   std::vector<std::string> program_files_folders)
    : machine_(std::move(machine)),
      user_(std::move(user)),
      program_files_folders_(std::move(program_files_folders)) {}

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
    refusal_.reset();
    const std::string value = Run_Value_Of(program_path);
    if (!Starts_For_Every_User(program_path, program_files_folders_)) {
        return user_->Write_Entry(name, value);
    }
    if (!machine_->Write_Entry(name, value)) {
        if (machine_->Key_Exists()) {
            refusal_ = Machine_Key_Refusal;
        }
        return false;
    }
    user_->Delete_Entry(name);
    return true;
}

bool Machine_Or_User_Run_Keys::Delete_Entry(const std::string& name) {
    refusal_.reset();
    const bool machine_changed = machine_->Delete_Entry(name);
    const bool user_changed = user_->Delete_Entry(name);
    if (!machine_changed && machine_->Read_Entry(name).has_value()) {
        refusal_ = Machine_Key_Refusal;
    }
    return machine_changed || user_changed;
}

bool Machine_Or_User_Run_Keys::Paths_Ignore_Case() const {
    return machine_->Paths_Ignore_Case();
}

}  // namespace tessaly
