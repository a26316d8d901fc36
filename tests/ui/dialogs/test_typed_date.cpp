#include "ui/dialogs/typed_date.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly {
namespace {

using enum Date_Part;

TEST(Typed_Date, ShapeFollowsThePatternWhateverItsSeparatorsNamesOrWeekday) {
    struct Case {
        const char* Pattern;
        std::array<Date_Part, 3> Order;
        const char* Order_Text;
        const char* Example;
        const char* Example_Without_Year;
    };
    const Case cases[] = {
        {"%d/%m/%Y", {Day, Month, Year}, "day/month/year", "14/04/1986", "14/04"},
        {"%m/%d/%Y", {Month, Day, Year}, "month/day/year", "04/14/1986", "04/14"},
        {"%Y-%m-%d", {Year, Month, Day}, "year-month-day", "1986-04-14", "04-14"},
        {"%d.%m.%Y", {Day, Month, Year}, "day.month.year", "14.04.1986", "14.04"},
        {"%d %B %Y", {Day, Month, Year}, "day/month/year", "14 April 1986", "14 April"},
        {"%a %m/%d/%Y", {Month, Day, Year}, "month/day/year", "Mon 04/14/1986", "Wed 04/14"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Pattern);
        const Short_Date_Shape shape = Shape_Of(Make_Strftime_Formatter(c.Pattern));
        EXPECT_EQ(shape.Order, c.Order);
        EXPECT_EQ(Order_Text(shape, true), QString::fromUtf8(c.Order_Text));
        EXPECT_EQ(shape.Example, QString::fromUtf8(c.Example));
        EXPECT_EQ(shape.Example_Without_Year, QString::fromUtf8(c.Example_Without_Year));
    }
}

TEST(Typed_Date, ReadsDatesInTheUsersOrderAndSaysWhatIsWrongWithTheRest) {
    struct Case {
        const char* Pattern;
        const char* Typed;
        bool Year_Known;
        int Year;  // -1: refused
        int Month;
        int Day;
        const char* Problem;
    };
    const char* shape_dmy = "Type the date as day/month/year, such as 14/04/1986.";
    const Case cases[] = {
        // Separators, run-together digits, single digits.
        {"%d/%m/%Y", "14/04/1986", true, 1986, 4, 14, ""},
        {"%d/%m/%Y", "14.4.1986", true, 1986, 4, 14, ""},
        {"%d/%m/%Y", " 14-04 1986 ", true, 1986, 4, 14, ""},
        {"%d/%m/%Y", "14041986", true, 1986, 4, 14, ""},
        {"%d/%m/%Y", "1/2/0033", true, 33, 2, 1, ""},
        {"%m/%d/%Y", "04/14/1986", true, 1986, 4, 14, ""},
        {"%m/%d/%Y", "04141986", true, 1986, 4, 14, ""},
        {"%Y-%m-%d", "1986-04-14", true, 1986, 4, 14, ""},
        {"%d %B %Y", "14 April 1986", true, 1986, 4, 14, ""},
        {"%d %B %Y", "14 apr 1986", true, 1986, 4, 14, ""},
        {"%d %B %Y", "14/04/1986", true, 1986, 4, 14, ""},
        // "Ju" could be June or July, and a name is no day.
        {"%d %B %Y", "14 Ju 1986", true, -1, 0, 0,
         "Type the date as day/month/year, such as 14 April 1986."},
        {"%d/%m/%Y", "April/14/1986", true, -1, 0, 0, shape_dmy},
        // Dates that cannot be.
        {"%d/%m/%Y", "31/02/1986", true, -1, 0, 0, "February 1986 has only 28 days."},
        {"%d/%m/%Y", "29/02/1900", true, -1, 0, 0, "February 1900 has only 28 days."},
        {"%d/%m/%Y", "29/02/2000", true, 2000, 2, 29, ""},
        {"%d/%m/%Y", "31/04/1986", true, -1, 0, 0, "April 1986 has only 30 days."},
        {"%d/%m/%Y", "00/04/1986", true, -1, 0, 0, "There is no day 0."},
        {"%d/%m/%Y", "14/13/1986", true, -1, 0, 0, "There is no month 13."},
        {"%m/%d/%Y", "14/04/1986", true, -1, 0, 0, "There is no month 14."},
        {"%d/%m/%Y", "14/00/1986", true, -1, 0, 0, "There is no month 0."},
        // The year in full, within the calendar's range.
        {"%d/%m/%Y", "14/04/86", true, -1, 0, 0, "Type the year in full, with four digits."},
        {"%d/%m/%Y", "14/04/986", true, -1, 0, 0, "Type the year in full, with four digits."},
        {"%d/%m/%Y", "14/04/19860", true, -1, 0, 0, "Type the year in full, with four digits."},
        {"%d/%m/%Y", "14/04/0000", true, -1, 0, 0, "There is no year 0000."},
        {"%d/%m/%Y", "31/12/9999", true, 9999, 12, 31, ""},
        {"%d/%m/%Y", "01/01/0001", true, 1, 1, 1, ""},
        // What is not a date at all: the popup's old nonsense among it.
        {"%d/%m/%Y", "", true, -1, 0, 0, shape_dmy},
        {"%d/%m/%Y", "14/04", true, -1, 0, 0, shape_dmy},
        {"%d/%m/%Y", "14/-2147483648/0", true, -1, 0, 0, shape_dmy},
        {"%d/%m/%Y", "1/4/1986/1", true, -1, 0, 0, shape_dmy},
        {"%d/%m/%Y", "14_04_1986", true, -1, 0, 0, shape_dmy},
        {"%d/%m/%Y", "140/4/1986", true, -1, 0, 0, shape_dmy},
        {"%d/%m/%Y", "1404198", true, -1, 0, 0, shape_dmy},
        // Without a year: 29 February comes round in leap years; a typed
        // year is still read and checked.
        {"%d/%m/%Y", "29/02", false, 0, 2, 29, ""},
        {"%d/%m/%Y", "2902", false, 0, 2, 29, ""},
        {"%m/%d/%Y", "02/29", false, 0, 2, 29, ""},
        {"%d/%m/%Y", "30/02", false, -1, 0, 0, "February has only 29 days."},
        {"%d/%m/%Y", "14/04/1986", false, 1986, 4, 14, ""},
        {"%d/%m/%Y", "29/02/1986", false, -1, 0, 0, "February 1986 has only 28 days."},
        {"%d/%m/%Y", "14", false, -1, 0, 0, "Type the date as day/month, such as 14/04."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Pattern) + " \"" + c.Typed + "\"" +
                     (c.Year_Known ? "" : " year not known"));
        const Typed_Date typed = Read_Typed_Date(
            QString::fromUtf8(c.Typed), Shape_Of(Make_Strftime_Formatter(c.Pattern)), c.Year_Known);
        EXPECT_EQ(typed.Valid, c.Year >= 0);
        EXPECT_EQ(typed.Problem, QString::fromUtf8(c.Problem));
        if (c.Year >= 0) {
            EXPECT_EQ(typed.Year, c.Year);
            EXPECT_EQ(typed.Month, c.Month);
            EXPECT_EQ(typed.Day, c.Day);
        }
    }
}

// Whatever the short date shows, typed back it gives the same date: the
// field always holds a date it can read.
TEST(Typed_Date, EveryShownDateReadsBackAsItself) {
    for (const char* pattern : {"%d/%m/%Y", "%m/%d/%Y", "%Y-%m-%d", "%d.%m.%Y",
#ifndef _WIN32
                                // Windows' C library has no %e.
                                "%e %b %Y",
#endif
                                "%d %B %Y", "%Y/%m/%d"}) {
        SCOPED_TRACE(pattern);
        const Short_Date_Formatter formatter = Make_Strftime_Formatter(pattern);
        const Short_Date_Shape shape = Shape_Of(formatter);
        int failures = 0;
        for (int day = First_Day_Number; day <= Last_Day_Number && failures < 5; day += 211) {
            const Civil_Date date = Decode_Date(day);
            const Typed_Date with_year =
                Read_Typed_Date(Shown_Date(formatter, date, true), shape, true);
            const Typed_Date without_year =
                Read_Typed_Date(Shown_Date(formatter, date, false), shape, false);
            if (!with_year.Valid || with_year.Year != date.Year || with_year.Month != date.Month ||
                with_year.Day != date.Day || !without_year.Valid || without_year.Year != 0 ||
                without_year.Month != date.Month || without_year.Day != date.Day) {
                ++failures;
                ADD_FAILURE() << Shown_Date(formatter, date, true).toStdString() << ": "
                              << with_year.Problem.toStdString();
            }
        }
    }
}

}  // namespace
}  // namespace tessaly
