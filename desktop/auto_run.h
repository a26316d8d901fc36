#pragma once

#include <filesystem>
#include <string>

namespace tessaly {

class Auto_Start_Entries;
class Desktop_Prompts;

// One string value of the log-in store, with the read-back checks and the
// messages of a failure. The key text in the messages is the store's path.
bool Write_Registry_String(Auto_Start_Entries& key, const std::string& name,
                           const std::string& value, Desktop_Prompts& prompts);
bool Delete_Registry_Value(Auto_Start_Entries& key, const std::string& name,
                           Desktop_Prompts& prompts);
// Empty when the store or the value is missing. No message.
std::string Read_Registry_String(Auto_Start_Entries& key, const std::string& name);

// Starting the program at log-in: an entry named after the executable's file
// name that holds its full path.
class Auto_Run {
public:
    Auto_Run(Auto_Start_Entries& entries, Desktop_Prompts& prompts,
             std::filesystem::path executable);

    // True when the entry was written; says so to the user.
    bool Enable_Auto_Run();
    // True when the entry was removed; says so to the user.
    bool Disable_Auto_Run();
    // Start-up's check: true when an entry exists. One for a program that
    // has moved since is offered to be corrected.
    bool Check_Auto_Run_Entry();

private:
    Auto_Start_Entries& entries_;
    Desktop_Prompts& prompts_;
    std::filesystem::path executable_;
};

}  // namespace tessaly
