#pragma once

#include <functional>
#include <string>

#include "core/dates.h"

namespace tessaly {

// Formats a date the way the user's regional setting shows short dates. The
// window, the report and the terminal tool all receive one of these, so that
// they always agree.
using Short_Date_Formatter = std::function<std::string(const Civil_Date&)>;

// A formatter for a strftime pattern such as "%d/%m/%Y". Only the date
// conversions are meaningful; the time of day reads as midnight.
Short_Date_Formatter Make_Strftime_Formatter(std::string pattern);

// The short date pattern of the user's regional settings, with a two-digit
// year widened to four digits: the entries' first dates span centuries, so "26"
// could be 1926 or 2026.
std::string Locale_Short_Date_Pattern();

// Applies the formatter to a day number.
std::string Format_Short_Date(const Short_Date_Formatter& formatter, Day_Number date);

// The short date of a month and day with the year taken out, together with
// the separator next to it: "14/04" for "%d/%m/%Y", "04-14" for "%Y-%m-%d",
// "14 April" for "%d %B %Y". Works for any formatter, by finding the digits
// that change with the year.
std::string Format_Short_Date_Without_Year(const Short_Date_Formatter& formatter, int month,
                                           int day);

// The date of an entry as the grid and the exports show it: without a year
// for a year-less entry.
std::string Format_Entry_Date(const Short_Date_Formatter& formatter, Day_Number date,
                              bool year_unknown);

}  // namespace tessaly
