#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/dates.h"

namespace tessaly {

// Reads a date written in a strftime pattern, the inverse of
// Make_Strftime_Formatter for the date conversions: %d %e %m %Y (three or
// four digits: "75" could be either century) and %y (four digits, as the
// window widens it), the month names of %b
// %B %h in the current locale (any case), weekday names of %a %A (skipped),
// %F, %D and %%, with or without the flags that drop padding. Numbers may
// omit their leading zeros, a blank in the pattern matches any run of blanks.
// None for text that does not match, lacks a part or names no real day.
std::optional<Civil_Date> Read_Short_Date(std::string_view pattern, std::string_view text);

// The pattern with its year taken out, together with the text that joined
// it to the rest: "%d/%m" for "%d/%m/%Y", "%m-%d" for "%F".
std::string Pattern_Without_Year(std::string_view pattern);

// A month and day written in the pattern without its year ("14/04" for
// "%d/%m/%Y"), as a date in Year_Unknown_Placeholder; none for anything else,
// a full date included.
std::optional<Civil_Date> Read_Short_Date_Without_Year(std::string_view pattern,
                                                       std::string_view text);

}  // namespace tessaly
