#pragma once

#include <memory>
#include <optional>
#include <string>

#include "desktop/auto_start.h"

namespace tessaly {

// A Run value is a command line: the program's path is quoted, so that
// Windows does not take "C:\Program" for the program when the path holds a
// blank.
std::string Run_Value_Of(const std::string& program_path);
// The program a Run value starts: the quoted path of a value written so, the
// whole value of an unquoted one (as written before values were quoted).
std::string Program_Of_Run_Value(const std::string& value);

// The machine's Run key, or the user's where the machine's cannot be written
// (an ordinary user may not change the machine's): the entry is written to
// the machine's key when it takes it, else to the user's with the same name
// and value. Messages keep naming the machine's key. Entries are program
// paths: the values hold them quoted.
class Machine_Or_User_Run_Keys final : public Auto_Start_Entries {
public:
    Machine_Or_User_Run_Keys(std::unique_ptr<Auto_Start_Entries> machine,
                             std::unique_ptr<Auto_Start_Entries> user);

    std::string Key_Path() override;
    bool Key_Exists() override;
    // The user's entry first: one written there because the machine's key
    // refused it is the one that counts, beside a machine entry this user
    // cannot change.
    std::optional<std::string> Read_Entry(const std::string& name) override;
    // A machine entry takes the user's place, so that Windows does not start
    // the program twice.
    bool Write_Entry(const std::string& name, const std::string& program_path) override;
    // Both are removed where they can be; what remains shows in a read-back.
    bool Delete_Entry(const std::string& name) override;
    bool Paths_Ignore_Case() const override;

private:
    std::unique_ptr<Auto_Start_Entries> machine_;
    std::unique_ptr<Auto_Start_Entries> user_;
};

}  // namespace tessaly
