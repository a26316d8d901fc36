#include "app/date_format.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "core/dates.h"

namespace tessaly {
namespace {

struct Shown_Case {
    const char* Label;
    Civil_Date Date;
    std::string Pattern;
    std::string Shown;
};

void PrintTo(const Shown_Case& c, std::ostream* os) {
    *os << c.Label;
}

class Date_Format_Shown_Test : public testing::TestWithParam<Shown_Case> {};

TEST_P(Date_Format_Shown_Test, ShowsTheDateAsThePatternSays) {
    const Shown_Case& c = GetParam();
    EXPECT_EQ(Make_Date_Format_Formatter(c.Pattern)(c.Date), c.Shown);
}

// The tests run in the C locale. 5 March 2026 is a Thursday, day 64 of the
// year; 8 March a Sunday.
INSTANTIATE_TEST_SUITE_P(
    Patterns, Date_Format_Shown_Test,
    testing::Values(
        Shown_Case{"ZeroPadded", {2026, 3, 5}, "%d/%m/%Y", "05/03/2026"},
        Shown_Case{"SpacePaddedDay", {2026, 3, 5}, "%e.%m.%y", " 5.03.26"},
        Shown_Case{"Unpadded", {2026, 3, 5}, "%-d.%-m.%-y %-e %-j", "5.3.26 5 64"},
        Shown_Case{"UnpaddedWindowsFlag", {2026, 3, 5}, "%#d/%#m/%#y %#e %#j", "5/3/26 5 64"},
        Shown_Case{"TwoDigitsStayWhole", {2026, 12, 17}, "%e|%-d|%-m|%-j|%j", "17|17|12|351|351"},
        Shown_Case{"YearOfTheCentury", {2005, 1, 2}, "%-y %y %j", "5 05 002"},
        Shown_Case{"Names", {2026, 3, 5}, "%a %A %b %B", "Thu Thursday Mar March"},
        Shown_Case{"WeekdayNumbers", {2026, 3, 5}, "%u %w %U %W", "4 4 09 09"},
        Shown_Case{"SundayIsSevenOrZero", {2026, 3, 8}, "%u %w %U %W", "7 0 10 09"},
        Shown_Case{"MondayIsOne", {2026, 12, 7}, "%u %a", "1 Mon"},
        Shown_Case{"Shorthands", {2026, 3, 5}, "%D|%F|%x", "03/05/26|2026-03-05|03/05/26"},
        Shown_Case{"PercentSigns", {2026, 3, 5}, "100%% %%Q %Y%%", "100% %Q 2026%"},
        Shown_Case{"OwnConversionsAmongText", {2026, 3, 5}, "(%e) %u. %B", "( 5) 4. March"},
        Shown_Case{"NoConversion", {2026, 3, 5}, "soon", "soon"}),
    [](const testing::TestParamInfo<Shown_Case>& param) { return param.param.Label; });

// The same formatter serves every date of the report.
TEST(Date_Format, OneFormatterFormatsEachDateItIsGiven) {
    const Short_Date_Formatter formatter = Make_Date_Format_Formatter("%-d %e %u");
    EXPECT_EQ(formatter({2026, 3, 5}), "5  5 4");
    EXPECT_EQ(formatter({2026, 12, 27}), "27 27 7");
}

struct Refused_Case {
    const char* Label;
    std::string Pattern;
    std::string Message;
};

void PrintTo(const Refused_Case& c, std::ostream* os) {
    *os << c.Label;
}

class Date_Format_Refused_Test : public testing::TestWithParam<Refused_Case> {};

TEST_P(Date_Format_Refused_Test, SaysWhichConversion) {
    const Refused_Case& c = GetParam();
    try {
        Make_Date_Format_Formatter(c.Pattern);
        ADD_FAILURE() << "accepted " << c.Pattern;
    } catch (const Date_Format_Error& error) {
        EXPECT_EQ(std::string(error.what()), c.Message);
    }
}

const std::string Lone_Percent = "a lone '%' ends it; write %% for a percent sign";
const std::string No_Time = "' is a time conversion, and the report's dates have no time";

INSTANTIATE_TEST_SUITE_P(
    Patterns, Date_Format_Refused_Test,
    testing::Values(Refused_Case{"Unknown", "%d %Q", "unknown conversion '%Q'"},
                    Refused_Case{"LonePercentAtTheEnd", "%d/%m/%", Lone_Percent},
                    Refused_Case{"LonePercentAfterAPercentSign", "%%%", Lone_Percent},
                    Refused_Case{"FlagAtTheEnd", "%Y%-", "unknown conversion '%-'"},
                    Refused_Case{"LetterOutsideAscii", "%\xC3\xA9t\xC3\xA9",
                                 "unknown conversion '%\xC3\xA9'"},
                    // Conversions glibc has and the Windows runtime lacks.
                    Refused_Case{"Century", "%C", "unknown conversion '%C'"},
                    Refused_Case{"IsoWeekYear", "%G-%V", "unknown conversion '%G'"},
                    Refused_Case{"Newline", "%d%n", "unknown conversion '%n'"},
                    // glibc's widths, modifiers and flags other than "no padding".
                    Refused_Case{"Width", "%10d", "unknown conversion '%10d'"},
                    Refused_Case{"Modifier", "%Ey", "unknown conversion '%Ey'"},
                    Refused_Case{"SpacePadFlag", "%_d", "unknown conversion '%_d'"},
                    Refused_Case{"UpperCaseFlag", "%^B", "unknown conversion '%^B'"},
                    Refused_Case{"TwoFlags", "%-#d", "unknown conversion '%-#d'"},
                    // Windows reads '#' on these as another form, not as "no padding".
                    Refused_Case{"UnpaddedName", "%#B", "unknown conversion '%#B'"},
                    Refused_Case{"UnpaddedLocaleDate", "%#x", "unknown conversion '%#x'"},
                    Refused_Case{"UnpaddedPercent", "%-%", "unknown conversion '%-%'"},
                    Refused_Case{"TimeOfDay", "%d %H:%M", "'%H" + No_Time},
                    Refused_Case{"DateAndTime", "%c", "'%c" + No_Time},
                    Refused_Case{"Zone", "%F %z", "'%z" + No_Time}),
    [](const testing::TestParamInfo<Refused_Case>& param) { return param.param.Label; });

// Each listed conversion is formatted, never shown as written.
TEST(Date_Format, EveryListedConversionIsFormatted) {
    std::istringstream list(Date_Format_Conversions());
    int listed = 0;
    for (std::string conversion; list >> conversion; ++listed) {
        const std::string shown = Make_Date_Format_Formatter(conversion)({2026, 3, 5});
        EXPECT_FALSE(shown.empty()) << conversion;
        EXPECT_EQ(shown.find('%') == std::string::npos, conversion != "%%")
            << conversion << ": " << shown;
    }
    EXPECT_EQ(listed, 18);
}

}  // namespace
}  // namespace tessaly
