#include "core/main_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/profile_file.h"

namespace tessaly {
namespace {

constexpr Day_Number Today = 46363;  // 7 December 2026

std::vector<std::string> Key_Names(const Profile_File& file) {
    std::vector<std::string> names;
    for (const Profile_Line& line : file.Lines()) {
        if (line.Line_Kind == Profile_Line::Kind::Key) {
            names.push_back(line.Name);
        }
    }
    return names;
}

TEST(Main_Settings, MissingKeysAndNonNumbersKeepTheDefaults) {
    const Profile_File file(
        "[Tessaly]\r\nwindow_top_posn=abc\r\nDays_Threshold_SpinEdit=\r\n"
        "Always_on_Top_Option=yes\r\n[Other]\r\nwindow_Width=900\r\n");
    const Main_Settings settings = Read_Main_Settings(file, Today);
    const Main_Settings defaults;
    EXPECT_EQ(settings.Window_Top, defaults.Window_Top);
    EXPECT_EQ(settings.Window_Width, defaults.Window_Width);
    EXPECT_EQ(settings.Days_Threshold, 14);
    EXPECT_FALSE(settings.Always_On_Top);
    EXPECT_EQ(settings.Name_Edit, "");
    EXPECT_EQ(settings.Month_Calendar_Date, Today);
}

TEST(Main_Settings, ValuesAreReadAsStoredWithoutRangeChecks) {
    const Profile_File file(
        "[tessaly]\r\nWINDOW_LEFT_POSN=-3000\r\nDays_Threshold_SpinEdit=500\r\n"
        "Sort_By_Column_RadioGroup=9\r\nWindowState_wsMaximized=2\r\n"
        "Name_Edit=\"  Jos\xe9  \"\r\nMonthCalendar1=35840\r\n");
    const Main_Settings settings = Read_Main_Settings(file, Today);
    EXPECT_EQ(settings.Window_Left, -3000);
    EXPECT_EQ(settings.Days_Threshold, 500);
    EXPECT_EQ(settings.Sort_Column, 9);
    EXPECT_TRUE(settings.Window_Maximized);
    EXPECT_EQ(settings.Name_Edit, "  Jos\xe9  ");
    EXPECT_EQ(settings.Month_Calendar_Date, 35840);
}

TEST(Main_Settings, WritesEveryKeyInItsOrder) {
    Profile_File file;
    Main_Settings settings;
    settings.Window_Maximized = true;
    settings.Name_Edit = "Ann";
    Write_Main_Settings(file, settings, Today);

    EXPECT_EQ(
        Key_Names(file),
        (std::vector<std::string>{
            "WindowState_wsMaximized", "window_top_posn", "window_left_posn", "window_Width",
            "window_Height", "Always_on_Top_Option", "Auto_Run_at_Windows_Startup_Option",
            "Days_Threshold_SpinEdit", "Sort_By_Column_RadioGroup",
            "Ascending_Descending_RadioGroup", "Name_Edit", "MonthCalendar1", "Event_Type_ComboBox",
            "Auto_Display_Coming_Events_Report_CheckBox", "Dialog_Richedit_top_posn",
            "Dialog_Richedit_left_posn", "Dialog_Richedit_width", "Dialog_Richedit_height"}));
    const Main_Settings read = Read_Main_Settings(file, 0);
    EXPECT_TRUE(read.Window_Maximized);
    EXPECT_EQ(read.Name_Edit, "Ann");
    // No calendar date means today.
    EXPECT_EQ(read.Month_Calendar_Date, Today);
}

TEST(Main_Settings, CalendarDateIsWrittenAsItsWholeDayWhateverItHolds) {
    const struct {
        Day_Number date;
        int written;
    } cases[] = {
        {35840.75, 35840},
        {-1.25, -1},
        // Nothing the dialog can hold, but no value may make the write
        // undefined.
        {1e300, 10'000'000},
        {std::numeric_limits<double>::infinity(), 10'000'000},
        {-std::numeric_limits<double>::infinity(), -10'000'000},
        {std::nan(""), -10'000'000},
    };
    for (const auto& c : cases) {
        Profile_File file;
        Main_Settings settings;
        settings.Month_Calendar_Date = c.date;
        Write_Main_Settings(file, settings, Today);
        EXPECT_EQ(file.Read_Integer(Settings_Section, "MonthCalendar1", 0), c.written) << c.date;
    }
}

}  // namespace
}  // namespace tessaly
