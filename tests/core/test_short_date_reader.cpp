#include <gtest/gtest.h>

#include <clocale>
#include <optional>

#include "core/short_date.h"
#include "core/short_date_reader.h"

namespace tessaly {
namespace {

TEST(Short_Date_Reader, ReadsWhatTheFormatterWrites) {
    std::setlocale(LC_TIME, "C");
    // Only conversions that the Windows C runtime formats too.
    for (const char* pattern : {"%d/%m/%Y", "%m/%d/%Y", "%Y-%m-%d", "%d.%m.%Y", "%d %B %Y",
                                "%a, %d %b %Y", "%d %% %m %Y"}) {
        const Short_Date_Formatter format = Make_Strftime_Formatter(pattern);
        for (const Civil_Date date : {Civil_Date{100, 1, 1}, Civil_Date{2000, 2, 29},
                                      Civil_Date{1999, 11, 7}, Civil_Date{9999, 12, 31}}) {
            const std::string text = format(date);
            EXPECT_EQ(Read_Short_Date(pattern, text), date) << pattern << " " << text;
        }
    }
}

TEST(Short_Date_Reader, WithoutYearReadsMonthAndDayInThePatternLessItsYear) {
    const std::pair<const char*, const char*> patterns[] = {
        {"%d/%m/%Y", "%d/%m"}, {"%Y-%m-%d", "%m-%d"},     {"%F", "%m-%d"},
        {"%D", "%m/%d"},       {"%-d.%-m.%Y", "%-d.%-m"}, {"%d %B %Y", "%d %B"},
        {"%d/%m", "%d/%m"},    {"%Y. %m. %d.", "%m. %d."}};
    for (const auto& [pattern, expected] : patterns) {
        EXPECT_EQ(Pattern_Without_Year(pattern), expected) << pattern;
    }
    EXPECT_EQ(Read_Short_Date_Without_Year("%d/%m/%Y", "29/02"), (Civil_Date{1604, 2, 29}));
    EXPECT_EQ(Read_Short_Date_Without_Year("%m/%d/%Y", " 4/14 "), (Civil_Date{1604, 4, 14}));
    for (const char* text : {"29/02/2024", "30/02", "14", "", "14/04/"}) {
        EXPECT_EQ(Read_Short_Date_Without_Year("%d/%m/%Y", text), std::nullopt) << text;
    }
}

TEST(Short_Date_Reader, AcceptsLooseWritingRefusesWrongDates) {
    EXPECT_EQ(Read_Short_Date("%d/%m/%Y", " 3/2/1975 "), (Civil_Date{1975, 2, 3}));
    EXPECT_EQ(Read_Short_Date("%d %B %Y", "3   FEBRUARY 1975"), (Civil_Date{1975, 2, 3}));
    EXPECT_EQ(Read_Short_Date("%d %b %Y", "3 feb 1975"), (Civil_Date{1975, 2, 3}));
    EXPECT_EQ(Read_Short_Date("%d/%m/%y", "03/02/1975"), (Civil_Date{1975, 2, 3}));
    EXPECT_EQ(Read_Short_Date("%e.%-m.%Y", " 3.2.1975"), (Civil_Date{1975, 2, 3}));
    for (const char* text : {"", "29/02/1999", "31/04/2000", "03/02/75", "03-02-1975",
                             "03/02/1975x", "3/2", "00/01/2000", "01/01/0000", "123/01/2000"}) {
        EXPECT_EQ(Read_Short_Date("%d/%m/%y", text), std::nullopt) << text;
    }
    EXPECT_EQ(Read_Short_Date("%d/%m/%Y %H", "01/01/2000 10"), std::nullopt);
    // Years whose century is unclear.
    EXPECT_EQ(Read_Short_Date("%d/%m/%Y", "03/02/75"), std::nullopt);
    EXPECT_EQ(Read_Short_Date("%D", "11/07/99"), std::nullopt);
    EXPECT_EQ(Read_Short_Date("%F", "0001-01-01"), (Civil_Date{1, 1, 1}));
}

}  // namespace
}  // namespace tessaly
