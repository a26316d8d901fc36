#include "exchange/vcard_dates.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/dates.h"

namespace tessaly {
namespace {

std::string Shown(const VCard_Date& date) {
    switch (date.Kind) {
        case VCard_Date_Kind::Without_Year: {
            const Civil_Date civil = Decode_Date(date.Date);
            return civil.Year == 1604
                       ? "no year, " + std::to_string(civil.Month) + "-" + std::to_string(civil.Day)
                       : "no year, yet a year";
        }
        case VCard_Date_Kind::Unreadable:
            return date.Date == 0 ? "unreadable" : "unreadable, yet a day";
        case VCard_Date_Kind::Dated:
            break;
    }
    const Civil_Date civil = Decode_Date(date.Date);
    return std::to_string(civil.Year) + "-" + std::to_string(civil.Month) + "-" +
           std::to_string(civil.Day);
}

TEST(VCard_Dates, DateFormsAndTheRangeTheListAccepts) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1996-04-15", "1996-4-15"},
        {"19960415", "1996-4-15"},
        {"1996-4-5", "1996-4-5"},
        {"1996-04-15T10:00:00+02:00", "1996-4-15"},
        {"19960415t1000Z", "1996-4-15"},
        {"0001-01-01", "1-1-1"},
        {"9999-12-31", "9999-12-31"},
        {"2000-02-29", "2000-2-29"},
        {"--0415", "no year, 4-15"},
        {"--04-15", "no year, 4-15"},
        {"--0229", "no year, 2-29"},
        {"1604-02-29", "no year, 2-29"},
        {"16040414", "no year, 4-14"},
        // A day alone names no day of the year.
        {"---15", "unreadable"},
        {"0000-04-15", "no year, 4-15"},
        {"0000-02-30", "unreadable"},
        {"1953-10", "unreadable"},
        {"1953", "unreadable"},
        {"1999-02-29", "unreadable"},
        {"1996-13-01", "unreadable"},
        {"10000-01-01", "unreadable"},
        {"--1340", "unreadable"},
        {"April 15, 1996", "unreadable"},
        {"", "unreadable"},
        {"1996-04-15-07", "unreadable"},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(Shown(Parse_VCard_Date(value, std::nullopt)), expected) << value;
    }
}

TEST(VCard_Dates, TheYearMarkedAsLeftOutGivesNoYear) {
    EXPECT_EQ(Shown(Parse_VCard_Date("1604-08-22", 1604)), "no year, 8-22");
    EXPECT_EQ(Shown(Parse_VCard_Date("1900-08-22", 1900)), "no year, 8-22");
    EXPECT_EQ(Shown(Parse_VCard_Date("1605-08-22", 1604)), "1605-8-22");
    // The mark says nothing of a date that has no year anyway.
    EXPECT_EQ(Shown(Parse_VCard_Date("--0822", 1604)), "no year, 8-22");
}

}  // namespace
}  // namespace tessaly
