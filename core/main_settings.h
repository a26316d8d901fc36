#pragma once

#include <array>
#include <optional>
#include <string>

#include "core/dates.h"
#include "core/profile_file.h"

namespace tessaly {

// The keys of the settings file's section.
namespace settings_keys {
inline constexpr const char* Top_Key = "window_top_posn";
inline constexpr const char* Left_Key = "window_left_posn";
inline constexpr const char* Width_Key = "window_Width";
inline constexpr const char* Height_Key = "window_Height";
inline constexpr const char* On_Top_Key = "Always_on_Top_Option";
inline constexpr const char* Auto_Run_Key = "Auto_Run_at_Windows_Startup_Option";
inline constexpr const char* Maximized_Key = "WindowState_wsMaximized";
inline constexpr const char* Sort_Column_Key = "Sort_By_Column_RadioGroup";
inline constexpr const char* Sort_Order_Key = "Ascending_Descending_RadioGroup";
inline constexpr const char* Days_Key = "Days_Threshold_SpinEdit";
inline constexpr const char* Name_Key = "Name_Edit";
inline constexpr const char* Calendar_Key = "MonthCalendar1";
inline constexpr const char* Event_Type_Key = "Event_Type_ComboBox";
inline constexpr const char* Auto_Report_Key = "Auto_Display_Coming_Events_Report_CheckBox";
inline constexpr const char* Report_Top_Key = "Dialog_Richedit_top_posn";
inline constexpr const char* Report_Left_Key = "Dialog_Richedit_left_posn";
inline constexpr const char* Report_Width_Key = "Dialog_Richedit_width";
inline constexpr const char* Report_Height_Key = "Dialog_Richedit_height";
}  // namespace settings_keys

// Every key, in the order start-up reads them.
inline constexpr std::array<const char*, 18> Main_Settings_Keys = {
    settings_keys::Top_Key,          settings_keys::Left_Key,
    settings_keys::Width_Key,        settings_keys::Height_Key,
    settings_keys::On_Top_Key,       settings_keys::Auto_Run_Key,
    settings_keys::Maximized_Key,    settings_keys::Sort_Column_Key,
    settings_keys::Sort_Order_Key,   settings_keys::Days_Key,
    settings_keys::Name_Key,         settings_keys::Calendar_Key,
    settings_keys::Event_Type_Key,   settings_keys::Auto_Report_Key,
    settings_keys::Report_Top_Key,   settings_keys::Report_Left_Key,
    settings_keys::Report_Width_Key, settings_keys::Report_Height_Key,
};

// The report's time frame in days, the range the window's spin edit holds.
inline constexpr int Minimum_Days_Threshold = 1;
inline constexpr int Maximum_Days_Threshold = 100;

// What start-up applies to the window and its forms, with the values a first
// run gets. Until the settings file is read these defaults are all there is.
struct Main_Settings {
    int Window_Top = 20;
    int Window_Left = 20;
    int Window_Width = 705;
    int Window_Height = 472;
    bool Always_On_Top = false;
    bool Auto_Run_At_Windows_Startup = false;
    bool Window_Maximized = false;
    int Sort_Column = 0;
    int Sort_Order = 0;
    int Days_Threshold = 14;
    // The add / modify dialog's remembered fields; no date means today.
    std::string Name_Edit;
    std::optional<Day_Number> Month_Calendar_Date;
    std::string Event_Type;
    bool Auto_Display_Coming_Events_Report = false;
    // The report window's position, and the size of its inside: its design
    // size by default, which is also the least it is shown at.
    int Report_Top = 20;
    int Report_Left = 20;
    int Report_Width = 633;
    int Report_Height = 425;
};

// The section's keys in the order start-up reads them; a missing key or a
// number that is not one keeps the default, the calendar's being today.
Main_Settings Read_Main_Settings(const Profile_File& file, Day_Number today);

// Every key, in the order the close writes them. A calendar date
// without a value is written as today.
void Write_Main_Settings(Profile_File& file, const Main_Settings& settings, Day_Number today);

}  // namespace tessaly
