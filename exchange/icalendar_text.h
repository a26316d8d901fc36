#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/dates.h"
#include "core/event_list.h"

namespace tessaly {

// Writing (RFC 5545): one content line, folded so that no line exceeds 75
// octets and no UTF-8 sequence is split, ended with CR LF.
void Add_ICalendar_Line(std::string& out, std::string_view line);

// A TEXT value: the stored bytes as the window shows them (UTF-8), with the
// characters TEXT reserves escaped and line breaks as "\n".
std::string ICalendar_Text_Value(std::string_view stored);

// The event's title as the report words it, without the age: "Ann's
// Birthday", or the part the entry has where it lacks a name or a type.
std::string ICalendar_Summary(const TName_And_Event_Data& entry);

std::string ICalendar_Date_Value(const Civil_Date& date);           // 20260214
std::string ICalendar_Stamp_Value(std::chrono::sys_seconds stamp);  // 20261207T090503Z

// The RRULE of an entry's yearly event: 29 February falls on the last day of
// February in common years, as the window shows it.
std::string ICalendar_Yearly_Rule(const Civil_Date& date);

// Reading: the content lines of a text, unfolded, whether its lines end in
// CR LF or LF (XML replies turn CR LF into LF).
std::vector<std::string> Unfold_ICalendar_Lines(std::string_view text);

struct ICalendar_Line {
    std::string Name;  // upper case
    // Parameter names upper case, values without their quotes.
    std::vector<std::pair<std::string, std::string>> Parameters;
    std::string Value;

    std::string Parameter(std::string_view upper_case_name) const;
};

// None for a line without a name and a colon.
std::optional<ICalendar_Line> Parse_ICalendar_Line(std::string_view line);

// A TEXT value unescaped: "\n" and "\N" give LF; "\\", "\;", "\," the
// character.
std::string Unescape_ICalendar_Text(std::string_view value);

}  // namespace tessaly
