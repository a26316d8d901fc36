#include "desktop/auto_run.h"

#include <utility>

#include "core/text_encoding.h"
#include "desktop/auto_start.h"
#include "desktop/desktop_prompts.h"

namespace tessaly {

namespace {

std::string Key_Lines(const std::string& key, const std::string& name) {
    return "\r\n\r\n Error Key   = " + key + "\r\n" + " Error Item  = " + name + "\r\n";
}

std::string Missing_Key_Error(const std::string& key, const std::string& name) {
    return "Error: The specified Registry Key for this operation \r\ndoes NOT exist on your PC.  " +
           Key_Lines(key, name);
}

}  // namespace

bool Write_Registry_String(Auto_Start_Entries& key, const std::string& name,
                           const std::string& value, Desktop_Prompts& prompts) {
    const std::string value_line = " Error Value = " + value + "\r\n";
    if (!key.Key_Exists()) {
        prompts.Error(Missing_Key_Error(key.Key_Path(), name) + value_line +
                      "\r\nPlease contact the program's author.");
        return false;
    }
    if (!key.Write_Entry(name, value)) {
        // The store is there but would not take the value.
        const auto refusal = key.Refusal();
        prompts.Error("Failed to set data for '" + name + "'." +
                      (refusal ? "\r\n\r\n" + *refusal : std::string()));
        return false;
    }
    if (key.Read_Entry(name) != value) {
        prompts.Error(
            "Error: The required settings could not be created \r\nor saved in the Windows "
            "Registry.  " +
            Key_Lines(key.Key_Path(), name) + value_line +
            "\r\nPlease contact the program's author.");
        return false;
    }
    return true;
}

bool Delete_Registry_Value(Auto_Start_Entries& key, const std::string& name,
                           Desktop_Prompts& prompts) {
    if (!key.Key_Exists()) {
        prompts.Error(Missing_Key_Error(key.Key_Path(), name) +
                      "\r\nPlease contact the program's author.");
        return false;
    }
    // A store that refused the change still holds the value: the read-back
    // below reports it, instead of a success that did not happen.
    key.Delete_Entry(name);
    if (key.Read_Entry(name).has_value()) {
        const auto refusal = key.Refusal();
        prompts.Error(
            "Error: The required Registry Key settings \r\ncould not be removed from the "
            "Windows Registry.  " +
            Key_Lines(key.Key_Path(), name) + "\r\n" +
            (refusal ? *refusal : std::string("Please contact the program's author.")));
        return false;
    }
    return true;
}

std::string Read_Registry_String(Auto_Start_Entries& key, const std::string& name) {
    return key.Read_Entry(name).value_or(std::string());
}

Auto_Run::Auto_Run(Auto_Start_Entries& entries, Desktop_Prompts& prompts,
                   std::filesystem::path executable)
    : entries_(entries), prompts_(prompts), executable_(std::move(executable)) {}

bool Auto_Run::Enable_Auto_Run() {
    const std::string program = executable_.filename().string();
    // An entry that cannot start the program would be reported as done.
    if (const auto reason = entries_.Unstartable_Reason(executable_.string())) {
        prompts_.Error("Error: This program (" + program +
                       ") cannot run automatically at start-up from where it is: " + *reason +
                       ".\r\n\r\n Path = " + executable_.string() +
                       "\r\n\r\nMove the program to another folder and try again.");
        return false;
    }
    if (!Write_Registry_String(entries_, program, executable_.string(), prompts_)) {
        return false;
    }
    prompts_.Information("This program (" + program +
                         ") will now run automatically at Windows Start-Up.");
    return true;
}

bool Auto_Run::Disable_Auto_Run() {
    const std::string program = executable_.filename().string();
    if (!Delete_Registry_Value(entries_, program, prompts_)) {
        return false;
    }
    prompts_.Information("This program (" + program +
                         ") will now no-longer run automatically at Windows Start-Up.");
    return true;
}

bool Auto_Run::Check_Auto_Run_Entry() {
    const std::string program = executable_.filename().string();
    const std::string old_path = Read_Registry_String(entries_, program);
    if (old_path.empty()) {
        return false;
    }
    const std::string current_path = executable_.string();
    const bool same = entries_.Paths_Ignore_Case()
                          ? Ascii_Upper_Case(old_path) == Ascii_Upper_Case(current_path)
                          : old_path == current_path;
    if (same) {
        return true;
    }
    const std::string warning =
        "The directory / path settings required to make this program (" + program + ")" + "\r\n" +
        "run automatically at Windows Start-up do not match where the program " + "\r\n" +
        "is currently being run from." + "\r\n" + "\r\n" + " Old      = " + old_path + "\r\n" +
        " Current = " + current_path + "\r\n" + "\r\n" +
        "Do you want to update the Windows Registry to " + "reflect the programs current locaton ?";
    if (prompts_.Warning_Yes_No(warning)) {
        Enable_Auto_Run();
    }
    return true;
}

}  // namespace tessaly
