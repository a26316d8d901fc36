#pragma once

#include <chrono>
#include <span>
#include <string>

#include "core/event_list.h"
#include "core/profile_file.h"
#include "exchange/icalendar_text.h"

namespace tessaly {

inline constexpr const char* ICalendar_File_Name = "Tessaly.ics";

// The entries as one VCALENDAR (RFC 5545): a yearly all-day VEVENT per entry
// from its first date on, CR LF line ends, lines folded at 75 octets. Texts
// are written as the window shows them (UTF-8). `stamp` is the DTSTAMP of
// every event: the clock's time of the export. An entry's own lead is an
// alarm that many days before, at 09:00, as the sync writes it; entries
// without one take `alarm`.
std::string Export_ICalendar(std::span<const TName_And_Event_Data> entries,
                             std::chrono::sys_seconds stamp, const Default_Alarm& alarm = {});

// Where the calendar account keeps its default alarm in the settings file,
// which the export takes too.
inline constexpr const char* Default_Alarm_Section = "Calendar Sync";
inline constexpr const char* Default_Alarm_Key = "Default_Alarm";

// The settings file's default alarm; none where it has none or it does not
// read (Parse_Default_Alarm).
Default_Alarm Read_Default_Alarm(const Profile_File& file);

}  // namespace tessaly
