#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "core/event_list.h"

namespace tessaly {

// One entry as the event resource a calendar server keeps: a VCALENDAR with
// one yearly all-day VEVENT, as the calendar export writes it, with the UID
// given and the name and event type also in properties of ours, so that a
// name or type holding "'s " comes back as it was.
std::string Entry_Event(const TName_And_Event_Data& entry, std::string_view uid,
                        std::chrono::sys_seconds stamp);

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
    // in the year-less placeholder year marks the entry year-less.
    TName_And_Event_Data Entry;
};

// The entry an event resource (from this program or any calendar) stands
// for. The title is split as Entry_Event writes it; a title of another
// calendar's making becomes the name, split at its last "'s " where it has
// one ("Ann's Birthday").
Event_Entry Read_Event_Entry(std::string_view icalendar);

// The URL of a new event with that UID in the calendar: the UID's letters,
// digits, "-" and "_", the rest as "_" followed by a hash of the UID, and
// ".ics". Events met on the server keep the URL they have there.
std::string Event_Url(std::string_view calendar_url, std::string_view uid);

// What an entry holds that its event carries: equal texts mean an unchanged
// entry, whichever side last wrote it.
std::string Entry_Event_Content(const TName_And_Event_Data& entry);

}  // namespace tessaly
