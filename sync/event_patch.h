#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "core/event_list.h"
#include "exchange/icalendar_text.h"

namespace tessaly {

// The server's copy of an entry's event with the entry's values put in, for
// an edit made in the list: other calendars keep what they added to it
// (alarms, categories, attendees, time zones, properties of their own).
//
// `current` must be an event Read_Event_Entry takes (Event_Reading::Taken).
// Only what the list owns changes, and only in the VEVENT itself (never in
// its alarms or other components):
// - SUMMARY, DESCRIPTION, X-TESSALY-NAME, X-TESSALY-EVENT-TYPE, DTSTART and
//   RRULE take the values Entry_Event writes for the entry. A line whose
//   value already reads the same (the unescaped text, the date) keeps its
//   bytes, folds and parameters; a rewritten one keeps its parameters except
//   ALTREP (SUMMARY, DESCRIPTION) and VALUE and TZID (DTSTART, DTEND, which
//   become VALUE=DATE). An empty comment removes DESCRIPTION, a new one adds
//   it; X-TESSALY-NAME, X-TESSALY-EVENT-TYPE and SUMMARY (unless the title is
//   empty) are added where missing.
// - DTEND moves with the start, staying the next day (removed where that day
//   would lie past 9999); DURATION:P1D stays. RRULE is rewritten only when
//   the date moves, to the rule Entry_Event writes for the new date.
// - When any other byte changes: DTSTAMP becomes `stamp` in UTC (added if
//   missing), LAST-MODIFIED becomes `stamp` where present, SEQUENCE goes up
//   by one where present (a value that is no number counts as 0; the
//   largest INTEGER stays). Where absent, SEQUENCE:1 is added when the date
//   moves, not for a new text: a missing SEQUENCE stands for 0, and a new
//   date is the revision that voids what attendees answered.
// - Alarms: ours (Own_Alarm_Of) become the one Own_Alarms_For wants for
//   the entry, `alarm` and the other clients' alarms in `current`: kept to
//   the byte where it is that one, otherwise all of ours are removed and the
//   wanted one added before the VEVENT's END. X-TESSALY-NO-LEAD follows the
//   same rule. Other clients' alarms are never touched.
// Every other line keeps its bytes and place, line ends included; new and
// rewritten lines take the line end of the line they replace (of the VEVENT's
// BEGIN when added) and are folded at 75 octets. Added lines go before the
// first component inside the VEVENT (its alarms), or before its END.
//
// Where the event already reads as the entry, `current` comes back byte for
// byte. The result always reads back (Read_Event_Entry) as Entry_Event's
// event of the entry does, with the same UID.
//
// None when `current` is not such an event, when the entry has no date an
// event can hold (outside years 1..9999), or when the patched text would not
// read as the entry after all: the caller writes Entry_Event instead.
std::optional<std::string> Patch_Event(std::string_view current, const TName_And_Event_Data& entry,
                                       std::chrono::sys_seconds stamp,
                                       const Default_Alarm& alarm = {});

// Whether the event already carries what Patch_Event would write of ours for
// the entry (its alarms and mark); true for an event Patch_Event leaves to
// Entry_Event.
bool Carries_Own_Alarms(std::string_view current, const TName_And_Event_Data& entry,
                        const Default_Alarm& alarm);

}  // namespace tessaly
