#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/auto_start.h"

namespace tessaly {

// A Run value is a command line: the program's path is quoted, so that
// Windows does not take "C:\Program" for the program when the path holds a
// blank.
std::string Run_Value_Of(const std::string& program_path);
// The program a Run value starts: the quoted path of a value written so, the
// whole value of an unquoted one (as written before values were quoted).
std::string Program_Of_Run_Value(const std::string& value);

// Whether Windows is to start the program for every user: only a program
// installed for everyone, which lies under one of the Program Files folders.
// A per-user install or a copy anywhere else starts for its own user alone.
bool Starts_For_Every_User(const std::string& program_path,
                           const std::vector<std::string>& program_files_folders);

// The Task Manager's start-up switch beside each Run value: binary, whose
// first byte is even while the entry is on and odd once switched off. A
// missing or empty value is on.
bool Startup_Approved_Is_Off(std::string_view bytes);
// What the switch holds when the program itself turns the entry on again.
std::string Startup_Approved_On_Bytes();

// The machine's Run key for a program installed for every user, the user's
// for any other; an entry in either counts when reading. Entries are program
// paths: the values hold them quoted. Messages name the machine's key path,
// which the user's key shares.
class Machine_Or_User_Run_Keys final : public Auto_Start_Entries {
public:
    Machine_Or_User_Run_Keys(std::unique_ptr<Auto_Start_Entries> machine,
                             std::unique_ptr<Auto_Start_Entries> user,
                             std::vector<std::string> program_files_folders);

    std::string Key_Path() override;
    bool Key_Exists() override;
    // The user's entry first: one of this user's beside a machine entry
    // this user cannot change is the one that counts.
    std::optional<std::string> Read_Entry(const std::string& name) override;
    // A machine entry takes the user's place, so that Windows does not start
    // the program twice. A machine key that refuses the entry is not stood in
    // for by the user's: the refusal says why.
    bool Write_Entry(const std::string& name, const std::string& program_path) override;
    // Both are removed where they can be; what remains shows in a read-back.
    bool Delete_Entry(const std::string& name) override;
    std::optional<std::string> Refusal() const override { return refusal_; }
    bool Paths_Ignore_Case() const override;

private:
    std::unique_ptr<Auto_Start_Entries> machine_;
    std::unique_ptr<Auto_Start_Entries> user_;
    std::vector<std::string> program_files_folders_;
    std::optional<std::string> refusal_;
};

}  // namespace tessaly
