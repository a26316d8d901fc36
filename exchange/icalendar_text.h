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

// Alarms. An entry's own lead rings that many days before the event, at
// 09:00 (TRIGGER:-P{N-1}DT15H on the all-day start): a phone ringing at
// midnight is missed, one at nine in the morning is read. Entries without a
// lead may take the account's default alarm. Both are ours, marked with
// X-TESSALY-ALARM ("lead" or "default"), so that other clients' alarms are
// told apart and left alone.
inline constexpr std::string_view Own_Alarm_Property = "X-TESSALY-ALARM";

struct Default_Alarm {
    enum class Kind { None, On_The_Day, Days_Before };
    Kind When = Kind::None;
    int Days = 0;  // Days_Before: 1..365

    bool operator==(const Default_Alarm&) const = default;
};

// "none", "on-the-day", "1-day-before", "N-days-before" (N 2..365; "1-days-
// before" is read too): the settings file's and
// the command line's words.
std::string Default_Alarm_Text(const Default_Alarm& alarm);
std::optional<Default_Alarm> Parse_Default_Alarm(std::string_view text);

struct Own_Alarm {
    bool Lead = false;  // the entry's lead, else the default alarm
    std::string Trigger;
    bool operator==(const Own_Alarm&) const = default;
};

// The entry's lead, else the default; none where neither is set.
std::optional<Own_Alarm> Own_Alarm_For(std::optional<int> lead, const Default_Alarm& fallback);

// The VALARM of ours, BEGIN to END, unfolded, its DESCRIPTION the event's
// title.
std::vector<std::string> Own_Alarm_Lines(const Own_Alarm& alarm, std::string_view summary);

// The alarm of ours a VALARM is, from its own X-TESSALY-ALARM and TRIGGER
// lines (not those of components inside it), its trigger as we write it:
// exactly one mark without parameters reading "lead" or "default", and
// exactly one trigger ringing when one that Own_Alarm_For writes for that
// kind rings (written any way: -PT39H is -P1DT15H), with no parameters but
// VALUE=DURATION and RELATED=START, which only say what a plain trigger
// means. None for any other alarm, however much it looks like ours: another
// client that copied our alarm and moved its time keeps our mark, and that
// alarm is then the user's choice there, to be left alone and read as
// theirs. Holding ours to what we could have written also means that the
// alarm a patch adds is the one the next patch finds, so patching twice
// changes nothing more.
std::optional<Own_Alarm> Own_Alarm_Of(const std::vector<ICalendar_Line>& marks,
                                      const std::vector<ICalendar_Line>& triggers);

// The lead (1..365 days) an alarm's TRIGGER gives an all-day event starting
// on `start`. A time before the day counts as the whole day it falls on
// (-PT15H is the day before at 09:00: 1; -P1DT15H: 2); a trigger on or after
// the start (-PT0S, PT9H) gives none. A DATE-TIME trigger counts only where
// it falls on midnight, a whole number of days before the first date.
// RELATED=END counts from the end of the day.
std::optional<int> Trigger_Lead_Days(const ICalendar_Line& trigger, const Civil_Date& start);

}  // namespace tessaly
