#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/event_list.h"

namespace tessaly {

// The text between the first and the second occurrence of the delimiter (or
// all after the first, when there is no second); empty when the text or the
// delimiter is empty or the delimiter does not occur.
std::string Extract_Between(std::string_view text, std::string_view delimiter);

// Field n (from 1) of the text split at the delimiter; empty for n = 0, an
// empty delimiter or text, or a field past the last.
std::string Nth_Field(int n, std::string_view delimiter, std::string_view text);

// Splits the sibling program's file into lines at CR, LF or CR LF; a final
// line break does not make an empty last line.
std::vector<std::string> Split_Sibling_Lines(std::string_view content);

// One line of the sibling program's file as a "birthday" entry: the name
// between the first two double quotes, the date year-month-day between the
// first two "#". Throws Convert_Error with "'%s' is not a valid integer value"
// or "Invalid argument to date encode".
TName_And_Event_Data Parse_Sibling_Line(std::string_view line);

}  // namespace tessaly
