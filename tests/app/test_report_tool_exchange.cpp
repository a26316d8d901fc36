// The terminal tool's --ical and --csv: the whole list on standard output.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "app/report_tool.h"
#include "core/data_file.h"
#include "core/dates.h"
#include "core/event_list.h"
#include "report_tool_expected.h"
#include "report_tool_in_process.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

using test::Tool_Result;

class Report_Tool_Exchange_Test : public testing::Test {
protected:
    Report_Tool_Exchange_Test() {
        env_.Folders = Portable_Folders(folder_.Path());
        env_.Today = Encode_Date(2026, 12, 7);
        env_.Now = std::chrono::sys_days{std::chrono::year{2026} / 12 / 7} + std::chrono::hours{23};
        Event_List list;
        for (const auto& [name, date] : {std::pair{"Smith, Jo", Encode_Date(1990, 12, 25)},
                                         std::pair{"Leap", Encode_Date(2000, 2, 29)}}) {
            TName_And_Event_Data& entry = list.Append();
            entry.Name = name;
            entry.Orig_Date = date;
            entry.Event_Type = "Birthday";
        }
        Save_Data_To_File_ButtonClick(list, folder_.File("Tessaly.dat"));
    }

    Tool_Result Run(const std::vector<std::string>& args) const {
        return test::Run_In_Process(args, env_);
    }

    test::Temp_Dir folder_;
    Report_Tool_Environment env_;
};

TEST_F(Report_Tool_Exchange_Test, CsvHasTheGridsColumnsForTheDayWithoutBom) {
    const Tool_Result result = Run({"--csv", "--date", "2027-02-28"});
    EXPECT_EQ(result.Status, Report_Tool_Printed);
    EXPECT_EQ(result.Err, "");
    // The list's own order (the file's), not the report's.
    EXPECT_EQ(result.Out,
              "Name,Date,Event Type,Comments,Next Event,Days Left,Age Next\r\n"
              "\"Smith, Jo\",1990-12-25,Birthday,,2027-12-25,300,37\r\n"
              "Leap,2000-02-29,Birthday,,2027-02-28,0,27\r\n");
}

TEST_F(Report_Tool_Exchange_Test, ICalendarHasOneEventPerEntryStampedWithTheClock) {
    const Tool_Result result = Run({"--ical"});
    EXPECT_EQ(result.Status, Report_Tool_Printed);
    EXPECT_EQ(result.Out.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
    EXPECT_NE(result.Out.find("DTSTAMP:20261207T230000Z\r\n"), std::string::npos);
    EXPECT_NE(result.Out.find("SUMMARY:Smith\\, Jo's Birthday\r\n"), std::string::npos);
    EXPECT_NE(result.Out.find("RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1\r\n"), std::string::npos);
}

TEST_F(Report_Tool_Exchange_Test, EmptyListUnreadableFileBadUsageAndFailedOutput) {
    // An empty list is an empty calendar or table, not an error.
    const std::string empty = folder_.File("empty.dat").string();
    test::Write_Bytes(empty, "V1.1\r\n0\r\n");
    const Tool_Result calendar = Run({"--ical", "--file", empty});
    EXPECT_EQ(calendar.Status, Report_Tool_Printed);
    EXPECT_EQ(calendar.Out.find("BEGIN:VEVENT"), std::string::npos);
    EXPECT_NE(calendar.Out.find("END:VCALENDAR\r\n"), std::string::npos);
    EXPECT_EQ(Run({"--csv", "--file", empty}).Out,
              "Name,Date,Event Type,Comments,Next Event,Days Left,Age Next\r\n");

    const std::string damaged = folder_.File("damaged.dat").string();
    test::Write_Bytes(damaged, "V1.1\r\n1\r\nAbe\r\nnot a date\r\n");
    const Tool_Result unreadable = Run({"--csv", "--file", damaged});
    EXPECT_EQ(unreadable.Status, Report_Tool_Unreadable_File);
    EXPECT_EQ(unreadable.Out, "");

    EXPECT_EQ(Run({"--ical", "--csv"}).Status, Report_Tool_Usage);
    EXPECT_EQ(Run({"--csv=yes"}).Status, Report_Tool_Usage);
    EXPECT_EQ(Run({"--csv", "--csv"}).Status, Report_Tool_Printed);

    std::ostringstream out;
    out.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(Run_Report_Tool({"--ical"}, env_, out, err), Report_Tool_Output_Failed);
    EXPECT_NE(err.str().find("could not be written"), std::string::npos);
}

}  // namespace
}  // namespace tessaly
