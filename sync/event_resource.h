#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "core/event_list.h"
#include "exchange/icalendar_text.h"

namespace tessaly {

// One entry as the event resource a calendar server keeps: a VCALENDAR with
// one yearly all-day VEVENT, as the calendar export writes it, with the UID
// given and the name and event type also in properties of ours, so that a
// name or type holding "'s " comes back as it was. The entry's own lead is
// an alarm of ours that many days before; an entry without one takes
// `alarm`, the account's default (never read back as a lead).
std::string Entry_Event(const TName_And_Event_Data& entry, std::string_view uid,
                        std::chrono::sys_seconds stamp, const Default_Alarm& alarm = {});

// Marks an event whose entry keeps no lead although another client's alarm
// (whose lead is the value) stands: that alarm is not taken as the lead
// again until it changes.
inline constexpr std::string_view Declined_Lead_Property = "X-TESSALY-NO-LEAD";

enum class Event_Reading {
    Taken,
    // A calendar item the list does not hold (a meeting, a weekly event, a
    // yearly event with exceptions or an end, a task): left alone, counted.
    Not_Yearly_All_Day,
    Unreadable,
};

struct Event_Entry {
    Event_Reading Reading = Event_Reading::Unreadable;
    std::string Uid;
    // Name, Orig_Date, Event_Type and Comments, storable as they are; a date
    // in the year-less placeholder year marks the entry year-less; the
    // entry's own lead as its alarms give it.
    TName_And_Event_Data Entry;
    // Other clients' alarms: the earliest whole-day lead among them, and
    // whether any of them rings at all.
    std::optional<int> Foreign_Lead;
    bool Foreign_Alarm = false;
};

// What an event of the entry carries of ours beside others' alarms:
// - the entry's lead L as our alarm, unless another client's alarm already
//   rings L days before (the earliest of theirs is read as the lead, so
//   ours would only ring twice);
// - without a lead, the default alarm, unless another client's alarm rings
//   already: whoever set that chose how this event reminds;
// - without a lead while another client's alarm gives one, the mark that
//   this lead is declined (Declined_Lead_Property).
struct Own_Alarms {
    std::optional<Own_Alarm> Alarm;
    std::optional<int> Declined_Lead;
    bool operator==(const Own_Alarms&) const = default;
};
Own_Alarms Own_Alarms_For(std::optional<int> lead, const Default_Alarm& fallback,
                          std::optional<int> foreign_lead, bool foreign_alarm);

// The entry an event resource (from this program or any calendar) stands
// for. The title is split as Entry_Event writes it; a title of another
// calendar's making becomes the name, split at its last "'s " where it has
// one ("Ann's Birthday").
//
// The lead: our lead alarm's, where it has one. Otherwise other clients'
// alarms give it: the earliest whole-day one (Trigger_Lead_Days), as it is
// the one that reminds first, unless the event declines exactly that lead.
// Removing a lead in the list while a phone's alarm stands thus declines
// it; a phone's alarm set or changed afterwards gives the lead again.
Event_Entry Read_Event_Entry(std::string_view icalendar);

// The URL of a new event with that UID in the calendar: the UID's letters,
// digits, "-" and "_", the rest as "_" followed by a hash of the UID, and
// ".ics". Events met on the server keep the URL they have there.
std::string Event_Url(std::string_view calendar_url, std::string_view uid);

// What an entry holds that its event carries (its lead too): equal texts mean
// an unchanged entry, whichever side last wrote it.
std::string Entry_Event_Content(const TName_And_Event_Data& entry);

}  // namespace tessaly
