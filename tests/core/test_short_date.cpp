#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "core/short_date.h"

namespace tessaly {
namespace {

TEST(ShortDate, StrftimePatterns) {
    const auto day_month_year = Make_Strftime_Formatter("%d/%m/%Y");
    EXPECT_EQ(day_month_year({2026, 12, 7}), "07/12/2026");
    EXPECT_EQ(Format_Short_Date(day_month_year, 46363.75), "07/12/2026");
    EXPECT_EQ(Make_Strftime_Formatter("%Y-%m-%d")({1899, 12, 30}), "1899-12-30");
    EXPECT_EQ(Make_Strftime_Formatter("")({2026, 12, 7}), "");
}

TEST(ShortDate, WeekdayAndDayOfYearConversionsAreFilledIn) {
    std::setlocale(LC_TIME, "C");
    const auto formatter = Make_Strftime_Formatter("%a %j");
    EXPECT_EQ(formatter({2026, 12, 7}), "Mon 341");
    EXPECT_EQ(formatter({1899, 12, 30}), "Sat 364");
    EXPECT_EQ(formatter({1899, 12, 29}), "Fri 363");
    EXPECT_EQ(formatter({1, 1, 1}), "Mon 001");
}

TEST(ShortDate, WithoutYearTakesOutTheYearAndItsSeparator) {
    std::setlocale(LC_TIME, "C");
    const std::pair<const char*, const char*> patterns[] = {
        {"%d/%m/%Y", "29/02"},        {"%m/%d/%y", "02/29"},       {"%Y-%m-%d", "02-29"},
        {"%d.%m.%Y", "29.02"},        {"%d %B %Y", "29 February"}, {"%Y%m%d", "0229"},
        {"%a %d/%m/%Y", "Sun 29/02"}, {"%Y. %m. %d.", "02. 29."},  {"%d/%m", "29/02"},
    };
    for (const auto& [pattern, expected] : patterns) {
        EXPECT_EQ(Format_Short_Date_Without_Year(Make_Strftime_Formatter(pattern), 2, 29), expected)
            << pattern;
    }
    const auto formatter = Make_Strftime_Formatter("%d/%m/%Y");
    EXPECT_EQ(Format_Entry_Date(formatter, 46363, true), "07/12");
    EXPECT_EQ(Format_Entry_Date(formatter, 46363, false), "07/12/2026");
}

TEST(ShortDate, LocalePatternGetsAFourDigitYear) {
#ifdef _WIN32
    // Windows gives the regional settings' pattern, whatever LC_TIME says.
    EXPECT_NE(Locale_Short_Date_Pattern().find("%Y"), std::string::npos);
    EXPECT_NE(Make_Strftime_Formatter(Locale_Short_Date_Pattern())({1926, 12, 8}).find("1926"),
              std::string::npos);
    return;
#endif
    std::setlocale(LC_TIME, "C");
    EXPECT_EQ(Locale_Short_Date_Pattern(), "%m/%d/%Y");
    const auto formatter = Make_Strftime_Formatter(Locale_Short_Date_Pattern());
    EXPECT_EQ(formatter({1926, 12, 8}), "12/08/1926");
}

TEST(ShortDate, FollowsTheRegionalSetting) {
    if (std::setlocale(LC_TIME, "en_GB.UTF-8") == nullptr) {
        GTEST_SKIP() << "en_GB.UTF-8 is not installed (scripts/install-deps.sh generates it)";
    }
    EXPECT_EQ(Locale_Short_Date_Pattern(), "%d/%m/%Y");
    EXPECT_EQ(Make_Strftime_Formatter(Locale_Short_Date_Pattern())({2026, 12, 7}), "07/12/2026");
    std::setlocale(LC_TIME, "C");
}

}  // namespace
}  // namespace tessaly
