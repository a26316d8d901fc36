#include "app/report_tool.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/data_file.h"
#include "core/dates.h"
#include "core/event_list.h"
#include "report_tool_expected.h"
#include "report_tool_in_process.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

using test::Demo_Report_7_Dec_2026;
using test::Tool_Result;
using test::Try_Help;

class Report_Tool_Test : public testing::Test {
protected:
    Report_Tool_Test() {
        env_.Folders = Portable_Folders(folder_.Path());
        env_.Today = Encode_Date(2026, 12, 7);
        env_.Locale_Date_Pattern = "%d/%m/%Y";
    }

    Tool_Result Run(const std::vector<std::string>& args) const {
        return test::Run_In_Process(args, env_);
    }

    void Write_Settings(const std::string& content) const {
        test::Write_Bytes(folder_.File("Tessaly.ini"), content);
    }

    // Saves entries beside the "executable", each given by its first date.
    void Write_Data(const std::vector<std::pair<std::string, Day_Number>>& entries) const {
        Event_List list;
        for (const auto& [name, date] : entries) {
            TName_And_Event_Data& entry = list.Append();
            entry.Name = name;
            entry.Orig_Date = date;
            entry.Event_Type = "Birthday";
        }
        Save_Data_To_File_ButtonClick(list, folder_.File("Tessaly.dat"));
    }

    test::Temp_Dir folder_;
    Report_Tool_Environment env_;
};

TEST_F(Report_Tool_Test, DemoReportListsTheFiveRelativeRows) {
    const Tool_Result result = Run({"--demo", "--date", "2026-12-07", "--date-format", "%d/%m/%Y"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out, Demo_Report_7_Dec_2026);
    EXPECT_EQ(result.Err, "");
}

TEST_F(Report_Tool_Test, AcceptsValuesAfterEquals) {
    env_.Today = Encode_Date(2000, 1, 1);
    env_.Locale_Date_Pattern = "%Y";
    const Tool_Result result = Run({"--demo", "--date=2026-12-07", "--date-format=%d/%m/%Y"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out, Demo_Report_7_Dec_2026);
}

TEST_F(Report_Tool_Test, DefaultsToTodayAndTheLocalePattern) {
    env_.Locale_Date_Pattern = "%Y-%m-%d";
    const Tool_Result result = Run({"--demo"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_NE(result.Out.find("     Valid at:  Mon, 2026-12-07\n"), std::string::npos);
    EXPECT_NE(result.Out.find("    1.  Juniper's 4th Birthday in 4 days (Fri, 2026-12-11)\n"),
              std::string::npos);
}

TEST_F(Report_Tool_Test, ReadsDataFileBesideTheExecutable) {
    Write_Data({{"Nora Vale", Encode_Date(1986, 12, 7)}, {"Far Off", Encode_Date(1990, 6, 1)}});
    const Tool_Result result = Run({});
    EXPECT_EQ(result.Status, 0);
    EXPECT_NE(result.Out.find("    1.  Nora Vale's 40th Birthday today (Mon, 07/12/2026)\n"),
              std::string::npos);
    EXPECT_NE(result.Out.find("\n 1 events found and reported.\n"), std::string::npos);
    EXPECT_EQ(result.Err, "");
}

TEST_F(Report_Tool_Test, ReportsYearLessEntriesWithoutAgeAndEachEntryWithinItsOwnLead) {
    Event_List list;
    const auto add = [&list](const char* name, Day_Number date, const char* spare) {
        TName_And_Event_Data& entry = list.Append();
        entry.Name = name;
        entry.Orig_Date = date;
        entry.Event_Type = "Birthday";
        entry.Spare_1 = spare;
    };
    add("Ann", Encode_Date(1604, 12, 10), "[Tessaly/1]year=unknown");
    add("Wed", Encode_Date(2000, 1, 6), "[Tessaly/1]lead=30");
    add("Cy", Encode_Date(1990, 12, 12), "[Tessaly/1]lead=3");
    Save_Data_To_File_ButtonClick(list, folder_.File("Tessaly.dat"));

    const Tool_Result result = Run({"--days", "14"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_NE(result.Out.find(" Events :\n\n"
                              "    1.  Ann's Birthday in 3 days (Thu, 10/12/2026)\n"
                              "    2.  Wed's 27th Birthday in 30 days (Wed, 06/01/2027)\n\n"
                              " 2 events found and reported.\n"),
              std::string::npos)
        << result.Out;
}

TEST_F(Report_Tool_Test, FileOptionReplacesTheDefaultFile) {
    Write_Data({{"Beside", Encode_Date(1986, 12, 7)}});
    Event_List other;
    TName_And_Event_Data& entry = other.Append();
    entry.Name = "Elsewhere";
    entry.Orig_Date = Encode_Date(2000, 12, 8);
    Save_Data_To_File_ButtonClick(other, folder_.File("other.dat"));

    const Tool_Result result = Run({"--file", folder_.File("other.dat").string()});
    EXPECT_EQ(result.Status, 0);
    EXPECT_NE(result.Out.find("Elsewhere's 26th  tomorrow"), std::string::npos);
    EXPECT_EQ(result.Out.find("Beside"), std::string::npos);
}

TEST_F(Report_Tool_Test, NoEventsInTimeframeStillPrints) {
    Write_Data({{"Far Off", Encode_Date(1990, 6, 1)}});
    const Tool_Result result = Run({});
    EXPECT_EQ(result.Status, 0);
    EXPECT_NE(result.Out.find("\n 0 events found and reported.\n"), std::string::npos);
}

TEST_F(Report_Tool_Test, MissingFileIsAnEmptyList) {
    const Tool_Result result = Run({});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "Error: There are no entries in the list.\n");
}

TEST_F(Report_Tool_Test, NamedFileThatDoesNotExistIsAnError) {
    const std::string missing = folder_.File("Missing.dat").string();
    const Tool_Result result = Run({"--file", missing});
    EXPECT_EQ(result.Status, 2);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "tessaly-report: \"" + missing + "\": the file does not exist\n");
}

TEST_F(Report_Tool_Test, FileThatIsNoRegularFileIsRefusedWithoutWaiting) {
    const std::filesystem::path fifo = folder_.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& file : {fifo.string(), std::string("/dev/zero")}) {
        const Tool_Result result = Run({"--file", file});
        EXPECT_EQ(result.Status, 2) << file;
        EXPECT_EQ(result.Err, "tessaly-report: Cannot read \"" + file + "\": not a regular file\n");
    }
    // Nor does a settings file of that kind hold the report up.
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(folder_.File("Tessaly.ini").c_str(), 0600), 0);
    const Tool_Result demo = Run({"--demo"});
    EXPECT_EQ(demo.Status, 0);
    EXPECT_NE(demo.Err.find("not a regular file (default settings used)"), std::string::npos)
        << demo.Err;
}

TEST_F(Report_Tool_Test, FileWithNoEntriesIsAnEmptyList) {
    test::Write_Bytes(folder_.File("Tessaly.dat"), "V1.1\r\n0\r\n");
    const Tool_Result result = Run({});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Err, "Error: There are no entries in the list.\n");
}

TEST_F(Report_Tool_Test, UnreadableFileExitsTwoWithTheError) {
    test::Write_Bytes(folder_.File("Tessaly.dat"),
                      "V1.1\r\n1\r\nNora\r\nnot-a-date\r\nBirthday\r\n\r\n\r\n\r\n\r\n\r\n");
    const Tool_Result result = Run({});
    EXPECT_EQ(result.Status, 2);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err.rfind("tessaly-report: ", 0), 0u) << result.Err;
    EXPECT_NE(result.Err.find("Invalid numeric input"), std::string::npos) << result.Err;
    EXPECT_EQ(result.Err.find('\r'), std::string::npos);
    // The tool never saves, so it leaves no copy of the file behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(Report_Tool_Test, CapacityCutWarnsAndStillReports) {
    Event_List full;
    for (int i = 0; i < Event_Array_Size; ++i) {
        TName_And_Event_Data& entry = full.Append();
        entry.Name = "P" + std::to_string(i);
        entry.Orig_Date = Encode_Date(2000, 12, 8);
    }
    Save_Data_To_File_ButtonClick(full, folder_.File("Tessaly.dat"));

    const Tool_Result result = Run({"--color", "never"});
    EXPECT_EQ(result.Status, 0);
    std::string expected_message = Capacity_Message_Load();
    for (std::size_t at; (at = expected_message.find("\r\n")) != std::string::npos;) {
        expected_message.erase(at, 1);
    }
    EXPECT_EQ(result.Err, expected_message + "\n");
    EXPECT_NE(result.Out.find("\n 500 events found and reported.\n"), std::string::npos);
}

TEST_F(Report_Tool_Test, Windows1252NamesPrintAsUtf8) {
    Write_Data({{"Ren\xE9 M\xFCller", Encode_Date(1986, 12, 9)}});
    const Tool_Result result = Run({"--color", "always"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_NE(result.Out.find("    1.  \x1b[1;34mRen\xC3\xA9 M\xC3\xBCller's \x1b[0m40th Birthday "
                              "in 2 days (Wed, 09/12/2026)\n"),
              std::string::npos)
        << result.Out;
}

// The window's profile reading gives defaults for a settings file it cannot
// read; the tool does the same, but says so.
TEST_F(Report_Tool_Test, UnreadableSettingsFallBackToDefaults) {
    std::filesystem::create_directory(folder_.File("Tessaly.ini"));
    const Tool_Result result = Run({"--demo", "--date", "2026-12-07"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out, Demo_Report_7_Dec_2026);
    EXPECT_EQ(result.Err.rfind("tessaly-report: ", 0), 0u) << result.Err;
    EXPECT_NE(result.Err.find("(default settings used)\n"), std::string::npos) << result.Err;
}

struct Days_Setting_Case {
    const char* Label;
    std::string Ini;
    std::vector<std::string> Args;
    int Expected_Days;
    // Of the demo rows, due in 4, 5, 5, 6, 7, 24, 56, 69 and 96 days.
    int Expected_Events;
};

void PrintTo(const Days_Setting_Case& c, std::ostream* os) {
    *os << c.Label;
}

class Report_Tool_Days_Test : public Report_Tool_Test,
                              public testing::WithParamInterface<Days_Setting_Case> {};

TEST_P(Report_Tool_Days_Test, TakesTheWindowsSettingBroughtIntoRange) {
    const Days_Setting_Case& c = GetParam();
    Write_Settings(c.Ini);
    std::vector<std::string> args = {"--demo"};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    const Tool_Result result = Run(args);
    EXPECT_EQ(result.Status, 0);
    EXPECT_NE(result.Out.find("occuring in the next " + std::to_string(c.Expected_Days) + " days."),
              std::string::npos)
        << result.Out;
    EXPECT_NE(result.Out.find("\n " + std::to_string(c.Expected_Events) +
                              " events found and reported.\n"),
              std::string::npos)
        << result.Out;
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Report_Tool_Days_Test,
    testing::Values(
        Days_Setting_Case{"Stored", "[Tessaly]\r\nDays_Threshold_SpinEdit=5\r\n", {}, 5, 3},
        Days_Setting_Case{"CaseAndBlanks", "[tessaly]\nDAYS_THRESHOLD_SPINEDIT = 6\n", {}, 6, 4},
        Days_Setting_Case{"ZeroBecomesOne", "[Tessaly]\nDays_Threshold_SpinEdit=0\n", {}, 1, 0},
        Days_Setting_Case{
            "AboveBecomesHundred", "[Tessaly]\nDays_Threshold_SpinEdit=500\n", {}, 100, 9},
        Days_Setting_Case{"NotANumber", "[Tessaly]\nDays_Threshold_SpinEdit=ten\n", {}, 14, 5},
        Days_Setting_Case{"OtherSection", "[Other]\nDays_Threshold_SpinEdit=5\n", {}, 14, 5},
        Days_Setting_Case{"NoFile", "", {}, 14, 5},
        Days_Setting_Case{
            "OptionWins", "[Tessaly]\nDays_Threshold_SpinEdit=5\n", {"--days", "4"}, 4, 1},
        Days_Setting_Case{"OptionHundred", "", {"--days=100"}, 100, 9}),
    [](const testing::TestParamInfo<Days_Setting_Case>& param) { return param.param.Label; });

struct Sort_Setting_Case {
    const char* Label;
    std::string Ini;
    std::string First;  // of the two demo rows due in 5 days
};

void PrintTo(const Sort_Setting_Case& c, std::ostream* os) {
    *os << c.Label;
}

class Report_Tool_Sort_Test : public Report_Tool_Test,
                              public testing::WithParamInterface<Sort_Setting_Case> {};

// Ties in the report keep the order of the user's sort, as in the window.
TEST_P(Report_Tool_Sort_Test, TiesFollowTheUsersSort) {
    const Sort_Setting_Case& c = GetParam();
    Write_Settings(c.Ini);
    const Tool_Result result = Run({"--demo"});
    ASSERT_EQ(result.Status, 0);
    EXPECT_NE(result.Out.find("    2.  " + c.First + "'s "), std::string::npos) << result.Out;
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Report_Tool_Sort_Test,
    testing::Values(Sort_Setting_Case{"NameAscendingByDefault", "", "Clementine"},
                    Sort_Setting_Case{"NameDescending",
                                      "[Tessaly]\nAscending_Descending_RadioGroup=1\n",
                                      "Mo and Rita"},
                    Sort_Setting_Case{"OrderAboveRangeIsDescending",
                                      "[Tessaly]\nAscending_Descending_RadioGroup=7\n",
                                      "Mo and Rita"},
                    // Column 5 (event type): "Birthday" sorts before "Wedding Anniversary".
                    Sort_Setting_Case{"EventTypeDescending",
                                      "[Tessaly]\nSort_By_Column_RadioGroup=5\n"
                                      "Ascending_Descending_RadioGroup=1\n",
                                      "Mo and Rita"},
                    // Column 9 is brought to 6 (comments, all empty): the demo order stays.
                    Sort_Setting_Case{"ColumnAboveRangeIsComments",
                                      "[Tessaly]\nSort_By_Column_RadioGroup=9\n"
                                      "Ascending_Descending_RadioGroup=1\n",
                                      "Clementine"},
                    // No column selected: no user sort, the demo order stays.
                    Sort_Setting_Case{"NoColumnSelected",
                                      "[Tessaly]\nSort_By_Column_RadioGroup=-5\n"
                                      "Ascending_Descending_RadioGroup=1\n",
                                      "Clementine"}),
    [](const testing::TestParamInfo<Sort_Setting_Case>& param) { return param.param.Label; });

struct Colour_Case {
    const char* Label;
    std::vector<std::string> Args;
    bool Terminal;
    bool Coloured;
    std::string No_Color = "";
    std::string Term = "xterm-256color";
};

void PrintTo(const Colour_Case& c, std::ostream* os) {
    *os << c.Label;
}

class Report_Tool_Colour_Test : public Report_Tool_Test,
                                public testing::WithParamInterface<Colour_Case> {};

TEST_P(Report_Tool_Colour_Test, ColoursPerOptionAndTerminal) {
    const Colour_Case& c = GetParam();
    env_.Stdout_Is_Terminal = c.Terminal;
    env_.No_Color = c.No_Color;
    env_.Term = c.Term;
    std::vector<std::string> args = {"--demo", "--date", "2026-12-07"};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    const Tool_Result result = Run(args);
    ASSERT_EQ(result.Status, 0);
    if (c.Coloured) {
        EXPECT_NE(result.Out.find("    1.  \x1b[1;34mJuniper's \x1b[0m4th"), std::string::npos);
        EXPECT_NE(result.Out.find("\x1b[1;4mComing Birthdays and Events Report.\x1b[0m"),
                  std::string::npos);
    } else {
        EXPECT_EQ(result.Out, Demo_Report_7_Dec_2026);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, Report_Tool_Colour_Test,
    testing::Values(Colour_Case{"AutoOnTerminal", {}, true, true},
                    Colour_Case{"AutoOnPipe", {}, false, false},
                    Colour_Case{"ExplicitAuto", {"--color=auto"}, true, true},
                    Colour_Case{"AlwaysOnPipe", {"--color", "always"}, false, true},
                    Colour_Case{"NeverOnTerminal", {"--color", "never"}, true, false},
                    Colour_Case{"AutoWithNoColor", {}, true, false, "1"},
                    Colour_Case{"AutoWithNoColorOfAnyText", {"--color=auto"}, true, false, "no"},
                    Colour_Case{"AutoWithoutTerm", {}, true, true, "", ""},
                    Colour_Case{"AutoOnDumbTerminal", {}, true, false, "", "dumb"},
                    Colour_Case{"AlwaysWithNoColor", {"--color", "always"}, true, true, "1"},
                    Colour_Case{
                        "AlwaysOnDumbPipe", {"--color", "always"}, false, true, "1", "dumb"}),
    [](const testing::TestParamInfo<Colour_Case>& param) { return param.param.Label; });

struct Usage_Case {
    const char* Label;
    std::vector<std::string> Args;
    std::string Message;  // the line before "Try ..."
};

void PrintTo(const Usage_Case& c, std::ostream* os) {
    *os << c.Label;
}

class Report_Tool_Usage_Test : public Report_Tool_Test,
                               public testing::WithParamInterface<Usage_Case> {};

TEST_P(Report_Tool_Usage_Test, RefusesWithExit64) {
    const Usage_Case& c = GetParam();
    const Tool_Result result = Run(c.Args);
    EXPECT_EQ(result.Status, 64);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "tessaly-report: " + c.Message + "\n" + Try_Help);
}

const std::string Bad_Days = "': give a number of days from 1 to 100";
const std::string Bad_Date =
    "': give a date that exists, as YYYY-MM-DD with a year from 0001 to 9999";

INSTANTIATE_TEST_SUITE_P(
    Arguments, Report_Tool_Usage_Test,
    testing::Values(
        Usage_Case{"DaysZero", {"--days", "0"}, "invalid --days '0" + Bad_Days},
        Usage_Case{"DaysAbove", {"--days=101"}, "invalid --days '101" + Bad_Days},
        Usage_Case{"DaysNegative", {"--days", "-3"}, "invalid --days '-3" + Bad_Days},
        Usage_Case{"DaysText", {"--days", "ten"}, "invalid --days 'ten" + Bad_Days},
        Usage_Case{"DaysEmpty", {"--days="}, "invalid --days '" + Bad_Days},
        Usage_Case{
            "DateNotInCalendar", {"--date", "2026-02-30"}, "invalid --date '2026-02-30" + Bad_Date},
        Usage_Case{"DateLeapDayOfCommonYear",
                   {"--date", "2027-02-29"},
                   "invalid --date '2027-02-29" + Bad_Date},
        Usage_Case{
            "DateYearZero", {"--date", "0000-01-01"}, "invalid --date '0000-01-01" + Bad_Date},
        Usage_Case{
            "DateShortFields", {"--date", "2026-1-1"}, "invalid --date '2026-1-1" + Bad_Date},
        Usage_Case{
            "DateOtherOrder", {"--date", "07/12/2026"}, "invalid --date '07/12/2026" + Bad_Date},
        Usage_Case{"DateSigned", {"--date", "2026-+1-01"}, "invalid --date '2026-+1-01" + Bad_Date},
        Usage_Case{"EmptyDateFormat",
                   {"--date-format="},
                   "option '--date-format' needs a strftime pattern, e.g. %d/%m/%Y"},
        Usage_Case{"BadColour",
                   {"--color", "sometimes"},
                   "invalid --color 'sometimes': use auto, always or never"},
        Usage_Case{"UnknownOption", {"--bogus"}, "unknown option '--bogus'"},
        Usage_Case{"UnknownWithValue", {"--bogus=1"}, "unknown option '--bogus'"},
        Usage_Case{"ShortOption", {"-d"}, "unknown option '-d'"},
        Usage_Case{"MissingValue", {"--demo", "--days"}, "option '--days' needs a value"},
        Usage_Case{"FlagWithValue", {"--demo=yes"}, "option '--demo' takes no value"},
        Usage_Case{"EmptyFile", {"--file="}, "option '--file' needs a path"},
        Usage_Case{"StrayArgument", {"Tessaly.dat"}, "unexpected argument 'Tessaly.dat'"},
        Usage_Case{"DemoWithFile",
                   {"--demo", "--file", "x.dat"},
                   "--demo and --file cannot be used together"},
        Usage_Case{"NotifyWithCalendar",
                   {"--ical", "--notify"},
                   "--notify cannot be used with --ical or --csv"},
        Usage_Case{"CsvAfterNotify",
                   {"--notify", "--csv"},
                   "--notify cannot be used with --ical or --csv"}),
    [](const testing::TestParamInfo<Usage_Case>& param) { return param.param.Label; });

const std::string Bad_Format = "invalid --date-format '";

// The patterns themselves are tested with the formatter; here the tool's
// usage path.
INSTANTIATE_TEST_SUITE_P(
    DateFormat, Report_Tool_Usage_Test,
    testing::Values(
        Usage_Case{
            "Unknown", {"--date-format", "%d %Q"}, Bad_Format + "%d %Q': unknown conversion '%Q'"},
        Usage_Case{"LonePercentAtTheEnd",
                   {"--date-format=%d/%m/%"},
                   Bad_Format + "%d/%m/%': a lone '%' ends it; write %% for a percent sign"},
        Usage_Case{"TimeOfDay",
                   {"--date-format", "%d %H:%M"},
                   Bad_Format +
                       "%d %H:%M': '%H' is a time conversion, and the report's dates have no time"},
        // Refused before a later --help, as any bad value is.
        Usage_Case{"BeforeHelp",
                   {"--date-format", "%Q", "--help"},
                   Bad_Format + "%Q': unknown conversion '%Q'"}),
    [](const testing::TestParamInfo<Usage_Case>& param) { return param.param.Label; });

TEST_F(Report_Tool_Test, DateFormatShowsEveryDateOfTheReport) {
    const Tool_Result result =
        Run({"--demo", "--date", "2026-03-05", "--date-format", "%e %b %Y (100%%)"});
    ASSERT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Err, "");
    EXPECT_NE(result.Out.find("     Valid at:  Thu,  5 Mar 2026 (100%)\n"), std::string::npos)
        << result.Out;
    EXPECT_NE(
        result.Out.find("    1.  Juniper's 4th Birthday in 4 days (Mon,  9 Mar 2026 (100%))\n"),
        std::string::npos)
        << result.Out;
}

// Every conversion the help names for --date-format is honoured, none shown
// literally.
TEST_F(Report_Tool_Test, HelpNamesOnlyDateConversionsItHonours) {
    const std::string help = Run({"--help"}).Out;
    const std::size_t start = help.find("--date-format PATTERN");
    const std::size_t end = help.find("--color WHEN");
    ASSERT_LT(start, end) << help;
    std::istringstream words(help.substr(start, end - start));
    int named = 0;
    for (std::string word; words >> word;) {
        if (word[0] != '%') {
            continue;
        }
        if (word.back() == ';') {
            word.pop_back();
        }
        ++named;
        const Tool_Result result = Run({"--demo", "--date", "2026-03-05", "--date-format", word});
        ASSERT_EQ(result.Status, 0) << word << ": " << result.Err;
        const std::size_t at = result.Out.find("Valid at:  Thu, ") + 16;
        const std::string shown = result.Out.substr(at, result.Out.find('\n', at) - at);
        EXPECT_FALSE(shown.empty()) << word;
        EXPECT_EQ(shown.find('%') == std::string::npos, word != "%%") << word << ": " << shown;
    }
    // The example, the list and the unpadded forms.
    EXPECT_GE(named, 25);
}

TEST_F(Report_Tool_Test, ShortHelpOptionIsHelp) {
    const Tool_Result help = Run({"--help"});
    EXPECT_NE(help.Out.find("\n  -h, --help "), std::string::npos) << help.Out;
    const std::vector<std::vector<std::string>> calls = {
        {"-h"}, {"-h", "--bogus"}, {"--demo", "-h"}};
    for (const std::vector<std::string>& args : calls) {
        const Tool_Result result = Run(args);
        EXPECT_EQ(result.Status, 0) << args.back();
        EXPECT_EQ(result.Out, help.Out) << args.back();
        EXPECT_EQ(result.Err, "") << args.back();
    }
}

TEST_F(Report_Tool_Test, HelpAndVersionGoToStandardOutput) {
    const Tool_Result help = Run({"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Out.rfind("Usage: tessaly-report [OPTION]...\n", 0), 0u);
    EXPECT_NE(help.Out.find("--date-format PATTERN"), std::string::npos);
    EXPECT_NE(help.Out.find("NO_COLOR"), std::string::npos);
    EXPECT_NE(help.Out.find("TERM is dumb"), std::string::npos);
    EXPECT_EQ(help.Err, "");

    const Tool_Result version = Run({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, "tessaly-report (Tessaly v1.0f)\n");
}

// The report goes nowhere: that is a failure, not a printed report.
TEST_F(Report_Tool_Test, FailedOutputIsNotSuccess) {
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(Run_Report_Tool({"--demo"}, env_, out, err), Report_Tool_Output_Failed);
    EXPECT_NE(err.str().find("could not be written"), std::string::npos);
}

}  // namespace
}  // namespace tessaly

namespace tessaly {
namespace {

// --notify takes its entries as the report does: the window's days and sort.
TEST_F(Report_Tool_Test, NotifyPostsTheReportsEntriesAndPassesOnTheStatus) {
    Write_Settings("[Tessaly]\nDays_Threshold_SpinEdit=5\nAscending_Descending_RadioGroup=1\n");
    std::vector<Coming_Events_Notification> posted;
    env_.Post_Notification = [&posted](const Coming_Events_Notification& notification,
                                       std::ostream& err) {
        posted.push_back(notification);
        err << "server gone\n";
        return Report_Tool_Notification_Unavailable;
    };
    const Tool_Result result = Run({"--demo", "--date", "2026-12-07", "--notify"});
    EXPECT_EQ(result.Status, Report_Tool_Notification_Unavailable);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "server gone\n");
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].Body(),
              "1.  Juniper's 4th Birthday in 4 days (Fri, 11/12/2026)\n"
              "2.  Mo and Rita's 15th Wedding Anniversary in 5 days (Sat, 12/12/2026)\n"
              "3.  Clementine's 1st Birthday in 5 days (Sat, 12/12/2026)");
    EXPECT_EQ(posted[0].Urgency, Notification_Urgency::Normal);
}

TEST_F(Report_Tool_Test, NotifyWithoutANotificationServerIsUnavailable) {
    const Tool_Result result = Run({"--demo", "--notify"});
    EXPECT_EQ(result.Status, Report_Tool_Notification_Unavailable);
    EXPECT_EQ(result.Err,
              "tessaly-report: desktop notifications are not available on this system\n");
}

}  // namespace
}  // namespace tessaly
