#pragma once

#include <chrono>
#include <span>
#include <string>

#include "core/event_list.h"

namespace tessaly {

inline constexpr const char* ICalendar_File_Name = "Tessaly.ics";

// The entries as one VCALENDAR (RFC 5545): a yearly all-day VEVENT per entry
// from its first date on, CR LF line ends, lines folded at 75 octets. Texts
// are written as the window shows them (UTF-8). `stamp` is the DTSTAMP of
// every event: the clock's time of the export.
std::string Export_ICalendar(std::span<const TName_And_Event_Data> entries,
                             std::chrono::sys_seconds stamp);

}  // namespace tessaly
