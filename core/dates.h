#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace tessaly {

class Event_List;

// Days since 30 December 1899 (day 0). A fraction is a time of day; the
// calculations use only the whole day.
using Day_Number = double;

struct Civil_Date {
    int Year = 1899;
    int Month = 12;
    int Day = 30;

    bool operator==(const Civil_Date&) const = default;
};

// A local date and time to the second.
struct Date_And_Time {
    int Year = 1899;
    int Month = 12;
    int Day = 30;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;

    auto operator<=>(const Date_And_Time&) const = default;
};

// The range of dates the program accepts: years 1 to 9999.
inline constexpr std::int32_t First_Day_Number = -693593;  // 1 January 1
inline constexpr std::int32_t Last_Day_Number = 2958465;   // 31 December 9999

bool Is_Valid_Civil_Date(int year, int month, int day);

// Throws Convert_Error("Invalid argument to date encode") for a date that does
// not exist or lies outside years 1..9999.
Day_Number Encode_Date(int year, int month, int day);

// Any calendar date; the caller guarantees it exists. Used where the year may
// step past 9999 (the next occurrence seen from 31 December 9999).
std::int32_t Day_Number_Of(int year, int month, int day);

// The day a number falls on: its integer part, for negative numbers too
// (-1.25 is 29 December 1899, 06:00). Values beyond any date, infinities and
// NaN are clamped to a day far outside years 1..9999 rather than left to an
// undefined conversion.
std::int32_t Whole_Day(Day_Number date);

// The calendar date of the day the number falls on (time of day ignored).
Civil_Date Decode_Date(Day_Number date);

// True when the number is finite and its day lies within years 1..9999.
bool Is_Day_Number_In_Range(Day_Number date);

// Derives Next_Event, Days_Left and Age_Next of every entry for the given
// (whole) today. 29 February stands for 28 February in a common year, so such
// an entry is due "today" on the last day of February. A year-less entry
// (see entry_attributes.h) gets its next occurrence and days left but no age.
void Calc_Days_Left_ButtonClick(Event_List& list, Day_Number today);

// "Sun".."Sat", fixed English whatever the locale.
std::string Day_Name_Of(Day_Number date);

// "st", "nd", "rd" or "th" for n >= 0.
std::string Ordinal_Suffix(int n);

}  // namespace tessaly
