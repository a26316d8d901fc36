#pragma once

#include <optional>
#include <string>

#include "core/dates.h"
#include "core/profile_file.h"

namespace tessaly {

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
    // The report window's position.
    int Report_Top = 20;
    int Report_Left = 20;
};

// The section's keys in the order start-up reads them; a missing key or a
// number that is not one keeps the default, the calendar's being today.
Main_Settings Read_Main_Settings(const Profile_File& file, Day_Number today);

// All sixteen keys, in the order the close writes them. A calendar date
// without a value is written as today.
void Write_Main_Settings(Profile_File& file, const Main_Settings& settings, Day_Number today);

}  // namespace tessaly
