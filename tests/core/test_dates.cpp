#include <gtest/gtest.h>

#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/errors.h"
#include "core/event_list.h"

namespace tessaly {
namespace {

struct Worked_Example {
    Civil_Date Orig;
    Civil_Date Next;
    int Days_Left;
    int Age_Next;
};

TName_And_Event_Data Calculated(Day_Number orig, Day_Number today) {
    Event_List list;
    list.Append().Orig_Date = orig;
    Calc_Days_Left_ButtonClick(list, today);
    return list.At(1);
}

Day_Number Day(int year, int month, int day) {
    return Encode_Date(year, month, day);
}

TEST(Dates, WorkedExamplesOnSeventhDecember2026) {
    const Worked_Example examples[] = {
        {{2000, 3, 15}, {2027, 3, 15}, 98, 27},  {{1990, 12, 7}, {2026, 12, 7}, 0, 36},
        {{1990, 12, 6}, {2027, 12, 6}, 364, 37}, {{1990, 12, 25}, {2026, 12, 25}, 18, 36},
        {{1926, 12, 8}, {2026, 12, 8}, 1, 100},  {{2027, 1, 1}, {2027, 1, 1}, 25, 0},
        {{2026, 12, 7}, {2026, 12, 7}, 0, 0},
    };
    const Day_Number today = Day(2026, 12, 7);
    for (const Worked_Example& example : examples) {
        SCOPED_TRACE(std::to_string(example.Orig.Year) + "-" + std::to_string(example.Orig.Month) +
                     "-" + std::to_string(example.Orig.Day));
        const auto entry =
            Calculated(Day(example.Orig.Year, example.Orig.Month, example.Orig.Day), today);
        EXPECT_EQ(Decode_Date(entry.Next_Event), example.Next);
        EXPECT_EQ(entry.Days_Left, example.Days_Left);
        EXPECT_EQ(entry.Age_Next, example.Age_Next);
    }
}

TEST(Dates, DayNumberConventionAndRange) {
    EXPECT_EQ(Day(1899, 12, 30), 0);
    EXPECT_EQ(Day(1899, 12, 31), 1);
    EXPECT_EQ(Day(1899, 12, 29), -1);
    EXPECT_EQ(Day(1900, 1, 9), 10);
    EXPECT_EQ(Day(1998, 2, 14), 35840);
    EXPECT_EQ(Day(2026, 12, 7), 46363);
    EXPECT_EQ(Day(1, 1, 1), First_Day_Number);
    EXPECT_EQ(Day(9999, 12, 31), Last_Day_Number);
    EXPECT_EQ(Day_Name_Of(0), "Sat");
    EXPECT_EQ(Day_Name_Of(Day(2026, 12, 7)), "Mon");

    EXPECT_TRUE(Is_Day_Number_In_Range(First_Day_Number));
    EXPECT_TRUE(Is_Day_Number_In_Range(Last_Day_Number + 0.99));
    EXPECT_FALSE(Is_Day_Number_In_Range(Last_Day_Number + 1));
    // A negative number's fraction is a time on the day of its integer part.
    EXPECT_TRUE(Is_Day_Number_In_Range(First_Day_Number - 0.5));
    EXPECT_FALSE(Is_Day_Number_In_Range(First_Day_Number - 1));
    EXPECT_FALSE(Is_Day_Number_In_Range(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(Is_Day_Number_In_Range(std::numeric_limits<double>::quiet_NaN()));
}

// Every day of years 1..9999: back and forth, each one more than the last and
// the weekday moving on by one.
TEST(Dates, RoundTripOverTheWholeRange) {
    static const char* const Week[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    Civil_Date previous = Decode_Date(First_Day_Number);
    ASSERT_EQ(previous, (Civil_Date{1, 1, 1}));
    int weekday = 1;  // 1 January 1 was a Monday in the proleptic Gregorian calendar
    for (std::int32_t number = First_Day_Number; number <= Last_Day_Number; ++number) {
        const Civil_Date date = Decode_Date(number);
        ASSERT_EQ(Encode_Date(date.Year, date.Month, date.Day), number);
        ASSERT_EQ(Day_Name_Of(number), Week[weekday]) << number;
        if (number > First_Day_Number) {
            const bool next_day_same_month = date.Year == previous.Year &&
                                             date.Month == previous.Month &&
                                             date.Day == previous.Day + 1;
            const bool first_of_month = date.Day == 1 && (date.Month == previous.Month % 12 + 1);
            ASSERT_TRUE(next_day_same_month || first_of_month) << number;
        }
        previous = date;
        weekday = (weekday + 1) % 7;
    }
    EXPECT_EQ(previous, (Civil_Date{9999, 12, 31}));
}

TEST(Dates, TimeOfDayIsIgnored) {
    EXPECT_EQ(Decode_Date(35840.75), (Civil_Date{1998, 2, 14}));
    EXPECT_EQ(Decode_Date(-1.25), (Civil_Date{1899, 12, 29}));
    // An original date later today still counts as today's occurrence.
    const auto entry = Calculated(35840.75, 35840);
    EXPECT_EQ(entry.Next_Event, 35840);
    EXPECT_EQ(entry.Days_Left, 0);
    EXPECT_EQ(entry.Age_Next, 0);
    // A today with a time of day is taken as the whole day.
    EXPECT_EQ(Calculated(Day(1990, 12, 8), Day(2026, 12, 7) + 0.9).Days_Left, 1);
}

TEST(Dates, EncodeRejectsDatesThatDoNotExist) {
    const Civil_Date invalid[] = {{2023, 2, 29}, {2026, 13, 1}, {2026, 4, 31}, {0, 1, 1},
                                  {10000, 1, 1}, {2026, 0, 10}, {2026, 1, 0}};
    for (const Civil_Date& date : invalid) {
        try {
            Encode_Date(date.Year, date.Month, date.Day);
            ADD_FAILURE() << date.Year << "-" << date.Month << "-" << date.Day;
        } catch (const Convert_Error& error) {
            EXPECT_STREQ(error.what(), "Invalid argument to date encode");
        }
    }
    EXPECT_EQ(Encode_Date(2024, 2, 29), 45351);
}

TEST(Dates, TwentyNinthOfFebruaryFallsOnTheTwentyEighthInCommonYears) {
    const Day_Number leap_birthday = Day(2000, 2, 29);
    auto entry = Calculated(leap_birthday, Day(2027, 2, 28));
    EXPECT_EQ(Decode_Date(entry.Next_Event), (Civil_Date{2027, 2, 28}));
    EXPECT_EQ(entry.Days_Left, 0);
    EXPECT_EQ(entry.Age_Next, 27);

    entry = Calculated(leap_birthday, Day(2027, 3, 1));
    EXPECT_EQ(Decode_Date(entry.Next_Event), (Civil_Date{2028, 2, 29}));
    EXPECT_EQ(entry.Days_Left, 365);
    EXPECT_EQ(entry.Age_Next, 28);

    entry = Calculated(leap_birthday, Day(2028, 2, 28));
    EXPECT_EQ(Decode_Date(entry.Next_Event), (Civil_Date{2028, 2, 29}));
    EXPECT_EQ(entry.Days_Left, 1);

    entry = Calculated(leap_birthday, Day(2026, 12, 7));
    EXPECT_EQ(Decode_Date(entry.Next_Event), (Civil_Date{2027, 2, 28}));
}

TEST(Dates, YearBoundaries) {
    // 31 December seen on 1 January: later the same year.
    EXPECT_EQ(Calculated(Day(1990, 12, 31), Day(2027, 1, 1)).Days_Left, 364);
    EXPECT_EQ(Calculated(Day(1990, 12, 31), Day(2028, 1, 1)).Days_Left, 365);
    // Yesterday's month and day: a year away, 365 days when a 29 February lies between.
    EXPECT_EQ(Calculated(Day(1990, 12, 6), Day(2026, 12, 7)).Days_Left, 364);
    EXPECT_EQ(Calculated(Day(1990, 3, 14), Day(2027, 3, 15)).Days_Left, 365);
    EXPECT_EQ(Calculated(Day(1990, 3, 14), Day(2026, 3, 15)).Days_Left, 364);
    EXPECT_EQ(Calculated(Day(1990, 3, 14), Day(2027, 3, 15)).Age_Next, 38);
    // The last day of the range looks a year ahead without failing.
    const auto entry = Calculated(Day(2000, 6, 1), Last_Day_Number);
    EXPECT_EQ(Decode_Date(entry.Next_Event), (Civil_Date{10000, 6, 1}));
    EXPECT_EQ(entry.Days_Left, 153);
}

TEST(Dates, FutureDatesKeepTheirOwnDate) {
    const auto entry = Calculated(Day(2030, 5, 1), Day(2026, 12, 7));
    EXPECT_EQ(Decode_Date(entry.Next_Event), (Civil_Date{2030, 5, 1}));
    EXPECT_EQ(entry.Days_Left, Day(2030, 5, 1) - Day(2026, 12, 7));
    EXPECT_EQ(entry.Age_Next, 0);
}

TEST(Dates, YearLessEntriesGetTheirNextOccurrenceButNoAgeAndCarryTheirLead) {
    Event_List list;
    for (const auto& [month, day] : {std::pair{12, 10}, std::pair{2, 29}, std::pair{12, 7}}) {
        TName_And_Event_Data& entry = list.Append();
        entry.Orig_Date = Year_Unknown_Date(month, day);
        entry.Spare_1 = "[Tessaly/1]year=unknown;lead=30";
    }
    TName_And_Event_Data& dated = list.Append();
    dated.Orig_Date = Day(1990, 12, 10);
    dated.Spare_3 = "[Tessaly/1]lead=45";
    Calc_Days_Left_ButtonClick(list, Day(2026, 12, 7));

    const struct {
        Civil_Date next;
        int days_left;
    } expected[] = {{{2026, 12, 10}, 3}, {{2027, 2, 28}, 83}, {{2026, 12, 7}, 0}};
    for (int position = 1; position <= 3; ++position) {
        SCOPED_TRACE(position);
        const TName_And_Event_Data& entry = list.At(position);
        EXPECT_TRUE(entry.Year_Unknown);
        EXPECT_EQ(Decode_Date(entry.Next_Event), expected[position - 1].next);
        EXPECT_EQ(entry.Days_Left, expected[position - 1].days_left);
        EXPECT_EQ(entry.Age_Next, 0);
        EXPECT_EQ(entry.Own_Lead, 30);
    }
    EXPECT_FALSE(list.At(4).Year_Unknown);
    EXPECT_EQ(list.At(4).Age_Next, 36);
    EXPECT_EQ(list.At(4).Own_Lead, 45);

    // Without the mark, the placeholder year is an ordinary year.
    list.At(1).Spare_1.clear();
    Calc_Days_Left_ButtonClick(list, Day(2026, 12, 7));
    EXPECT_FALSE(list.At(1).Year_Unknown);
    EXPECT_EQ(list.At(1).Age_Next, 2026 - 1604);
    EXPECT_EQ(list.At(1).Own_Lead, 0);
}

TEST(Dates, OrdinalSuffix) {
    const std::pair<int, const char*> cases[] = {
        {0, "th"},   {1, "st"},   {2, "nd"},   {3, "rd"},   {4, "th"},   {11, "th"},  {12, "th"},
        {13, "th"},  {20, "th"},  {21, "st"},  {22, "nd"},  {23, "rd"},  {30, "th"},  {101, "st"},
        {111, "th"}, {112, "th"}, {113, "th"}, {120, "th"}, {121, "st"}, {1000, "th"}};
    for (const auto& [n, suffix] : cases) {
        EXPECT_EQ(Ordinal_Suffix(n), suffix) << n;
    }
}

}  // namespace
}  // namespace tessaly
