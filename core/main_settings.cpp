#include "core/main_settings.h"

#include <cmath>

namespace tessaly {

namespace {

using namespace settings_keys;

}  // namespace

Main_Settings Read_Main_Settings(const Profile_File& file, Day_Number today) {
    const Main_Settings defaults;
    Main_Settings settings;
    const auto integer = [&](const char* key, int default_value) {
        return file.Read_Integer(Settings_Section, key, default_value);
    };
    const auto boolean = [&](const char* key, bool default_value) {
        return file.Read_Bool(Settings_Section, key, default_value);
    };
    settings.Window_Top = integer(Top_Key, defaults.Window_Top);
    settings.Window_Left = integer(Left_Key, defaults.Window_Left);
    settings.Window_Width = integer(Width_Key, defaults.Window_Width);
    settings.Window_Height = integer(Height_Key, defaults.Window_Height);
    settings.Always_On_Top = boolean(On_Top_Key, defaults.Always_On_Top);
    settings.Auto_Run_At_Windows_Startup =
        boolean(Auto_Run_Key, defaults.Auto_Run_At_Windows_Startup);
    settings.Window_Maximized = boolean(Maximized_Key, defaults.Window_Maximized);
    settings.Sort_Column = integer(Sort_Column_Key, defaults.Sort_Column);
    settings.Sort_Order = integer(Sort_Order_Key, defaults.Sort_Order);
    settings.Days_Threshold = integer(Days_Key, defaults.Days_Threshold);
    settings.Name_Edit = file.Read_String(Settings_Section, Name_Key).value_or(std::string());
    settings.Month_Calendar_Date = integer(Calendar_Key, Whole_Day(today));
    settings.Event_Type =
        file.Read_String(Settings_Section, Event_Type_Key).value_or(std::string());
    settings.Auto_Display_Coming_Events_Report =
        boolean(Auto_Report_Key, defaults.Auto_Display_Coming_Events_Report);
    settings.Report_Top = integer(Report_Top_Key, defaults.Report_Top);
    settings.Report_Left = integer(Report_Left_Key, defaults.Report_Left);
    settings.Report_Width = integer(Report_Width_Key, defaults.Report_Width);
    settings.Report_Height = integer(Report_Height_Key, defaults.Report_Height);
    return settings;
}

void Write_Main_Settings(Profile_File& file, const Main_Settings& settings, Day_Number today) {
    const auto integer = [&](const char* key, int value) {
        file.Write_Integer(Settings_Section, key, value);
    };
    const auto boolean = [&](const char* key, bool value) {
        file.Write_Bool(Settings_Section, key, value);
    };
    boolean(Maximized_Key, settings.Window_Maximized);
    integer(Top_Key, settings.Window_Top);
    integer(Left_Key, settings.Window_Left);
    integer(Width_Key, settings.Window_Width);
    integer(Height_Key, settings.Window_Height);
    boolean(On_Top_Key, settings.Always_On_Top);
    boolean(Auto_Run_Key, settings.Auto_Run_At_Windows_Startup);
    integer(Days_Key, settings.Days_Threshold);
    integer(Sort_Column_Key, settings.Sort_Column);
    integer(Sort_Order_Key, settings.Sort_Order);
    file.Write_String(Settings_Section, Name_Key, settings.Name_Edit);
    integer(Calendar_Key, Whole_Day(settings.Month_Calendar_Date.value_or(today)));
    file.Write_String(Settings_Section, Event_Type_Key, settings.Event_Type);
    boolean(Auto_Report_Key, settings.Auto_Display_Coming_Events_Report);
    integer(Report_Top_Key, settings.Report_Top);
    integer(Report_Left_Key, settings.Report_Left);
    integer(Report_Width_Key, settings.Report_Width);
    integer(Report_Height_Key, settings.Report_Height);
}

}  // namespace tessaly
