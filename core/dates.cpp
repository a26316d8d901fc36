#include "core/dates.h"

#include <array>
#include <chrono>
#include <cmath>

#include "core/entry_attributes.h"
#include "core/errors.h"
#include "core/event_list.h"

namespace tessaly {

namespace {

using namespace std::chrono;

// Day 0 of the day count, 30 December 1899, as a count of days since 1970.
constexpr sys_days Day_Zero = sys_days{year{1899} / December / 30};
static_assert((sys_days{year{1970} / January / 1} - Day_Zero).count() == 25569);
static_assert((sys_days{year{1} / January / 1} - Day_Zero).count() == First_Day_Number);
static_assert((sys_days{year{9999} / December / 31} - Day_Zero).count() == Last_Day_Number);

// Well inside what the calendar types handle; a next occurrence can lie in
// year 10000.
constexpr std::int32_t Day_Number_Limit = 10'000'000;

}  // namespace

std::int32_t Whole_Day(Day_Number date) {
    // Stored dates are checked on input; clamping only keeps a stray value
    // from becoming undefined behaviour.
    if (!(date > -Day_Number_Limit)) {
        return -Day_Number_Limit;
    }
    if (!(date < Day_Number_Limit)) {
        return Day_Number_Limit;
    }
    // The integer part is the day, for negative numbers too (-1.25 is
    // 29 December 1899, 06:00).
    return static_cast<std::int32_t>(std::trunc(date));
}

namespace {

year_month_day Civil_Of(std::int32_t day_number) {
    return year_month_day{Day_Zero + days{day_number}};
}

}  // namespace

bool Is_Valid_Civil_Date(int year_value, int month_value, int day_value) {
    if (year_value < 1 || year_value > 9999 || month_value < 1 || month_value > 12 ||
        day_value < 1 || day_value > 31) {
        return false;
    }
    return year_month_day{year{year_value}, month{static_cast<unsigned>(month_value)},
                          day{static_cast<unsigned>(day_value)}}
        .ok();
}

std::int32_t Day_Number_Of(int year_value, int month_value, int day_value) {
    const year_month_day date{year{year_value}, month{static_cast<unsigned>(month_value)},
                              day{static_cast<unsigned>(day_value)}};
    return static_cast<std::int32_t>((sys_days{date} - Day_Zero).count());
}

Day_Number Encode_Date(int year_value, int month_value, int day_value) {
    if (!Is_Valid_Civil_Date(year_value, month_value, day_value)) {
        throw Convert_Error("Invalid argument to date encode");
    }
    return Day_Number_Of(year_value, month_value, day_value);
}

bool Is_Day_Number_In_Range(Day_Number date) {
    return std::isfinite(date) && date > First_Day_Number - 1 && date < Last_Day_Number + 1;
}

Civil_Date Decode_Date(Day_Number date) {
    const year_month_day civil = Civil_Of(Whole_Day(date));
    return {static_cast<int>(civil.year()), static_cast<int>(static_cast<unsigned>(civil.month())),
            static_cast<int>(static_cast<unsigned>(civil.day()))};
}

void Calc_Days_Left_ButtonClick(Event_List& list, Day_Number today) {
    const Day_Number whole_today = Whole_Day(today);
    const Civil_Date now = Decode_Date(whole_today);
    for (TName_And_Event_Data& entry : list.Entries()) {
        const Civil_Date orig = Decode_Date(entry.Orig_Date);
        int next_year = orig.Year;
        if (whole_today > entry.Orig_Date) {
            const bool still_to_come =
                now.Month < orig.Month || (now.Month == orig.Month && now.Day <= orig.Day);
            next_year = still_to_come ? now.Year : now.Year + 1;
        }
        int next_day = orig.Day;
        if (!year_month_day{year{next_year}, month{static_cast<unsigned>(orig.Month)},
                            day{static_cast<unsigned>(next_day)}}
                 .ok()) {
            // 29 February in a common year: the last day of February stands
            // in, so the entry is still reported "today" on that day.
            next_day = 28;
        }
        entry.Next_Event = Day_Number_Of(next_year, orig.Month, next_day);
        entry.Days_Left = static_cast<std::int32_t>(std::trunc(entry.Next_Event - whole_today));
        const Entry_Attributes attributes = Read_Entry_Attributes(entry);
        entry.Year_Unknown = attributes.Year_Unknown;
        entry.Own_Lead = attributes.Own_Lead.value_or(0);
        entry.Age_Next = entry.Year_Unknown
                             ? 0
                             : static_cast<std::int32_t>(std::trunc(
                                   (whole_today + entry.Days_Left - entry.Orig_Date) / 365.0));
    }
}

std::string Day_Name_Of(Day_Number date) {
    static constexpr std::array<const char*, 7> Names = {"Sun", "Mon", "Tue", "Wed",
                                                         "Thu", "Fri", "Sat"};
    const weekday day_of_week{Day_Zero + days{Whole_Day(date)}};
    return Names[day_of_week.c_encoding()];
}

std::string Ordinal_Suffix(int n) {
    int r = n % 100;
    if (r > 20) {
        r %= 10;
    }
    switch (r) {
        case 1:
            return "st";
        case 2:
            return "nd";
        case 3:
            return "rd";
        default:
            return "th";
    }
}

}  // namespace tessaly
