#include "exchange/icalendar_export.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string_view>
#include <tuple>

#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/program_identity.h"
#include "exchange/icalendar_text.h"

namespace tessaly {

namespace {

// 64-bit FNV-1a over the fields, each preceded by its length so that moving
// bytes from one field to the next changes the result.
std::uint64_t Entry_Hash(const TName_And_Event_Data& entry, std::int32_t day) {
    std::uint64_t hash = 14695981039346656037ull;
    const auto add = [&hash](std::string_view bytes) {
        for (const char c : bytes) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ull;
        }
    };
    for (const std::string_view field :
         {std::string_view(entry.Name), std::string_view(entry.Event_Type),
          std::string_view(entry.Comments)}) {
        add(std::to_string(field.size()) + ":");
        add(field);
    }
    add(std::to_string(day));
    return hash;
}

}  // namespace

Default_Alarm Read_Default_Alarm(const Profile_File& file) {
    const std::optional<std::string> text =
        file.Read_String(Default_Alarm_Section, Default_Alarm_Key);
    return Parse_Default_Alarm(text.value_or("none")).value_or(Default_Alarm{});
}

std::string Export_ICalendar(std::span<const TName_And_Event_Data> entries,
                             std::chrono::sys_seconds stamp, const Default_Alarm& alarm) {
    std::string out;
    Add_ICalendar_Line(out, "BEGIN:VCALENDAR");
    Add_ICalendar_Line(out, "VERSION:2.0");
    Add_ICalendar_Line(out, std::string("PRODID:-//Tessaly//") + Program_Title + "//EN");
    Add_ICalendar_Line(out, "CALSCALE:GREGORIAN");
    const std::string dtstamp = "DTSTAMP:" + ICalendar_Stamp_Value(stamp);

    // The UID follows the entry's content, so that a calendar importing a
    // later export recognises the events it already has; identical entries
    // are told apart by their count in list order.
    using Key = std::tuple<std::string_view, std::int32_t, std::string_view, std::string_view>;
    std::map<Key, int> seen;
    for (const TName_And_Event_Data& entry : entries) {
        const std::int32_t day = Whole_Day(entry.Orig_Date);
        const int copy = ++seen[Key{entry.Name, day, entry.Event_Type, entry.Comments}];
        char uid[64];
        std::snprintf(uid, sizeof uid, "UID:%016llx-%d@tessaly",
                      static_cast<unsigned long long>(Entry_Hash(entry, day)), copy);

        const Civil_Date date = Decode_Date(entry.Orig_Date);
        Add_ICalendar_Line(out, "BEGIN:VEVENT");
        Add_ICalendar_Line(out, uid);
        Add_ICalendar_Line(out, dtstamp);
        Add_ICalendar_Line(out, "DTSTART;VALUE=DATE:" + ICalendar_Date_Value(date));
        Add_ICalendar_Line(out, "RRULE:" + ICalendar_Yearly_Rule(date));
        Add_ICalendar_Line(out, "SUMMARY:" + ICalendar_Summary(entry));
        if (!entry.Comments.empty()) {
            Add_ICalendar_Line(out, "DESCRIPTION:" + ICalendar_Text_Value(entry.Comments));
        }
        // A reminder of a day, not an appointment: free/busy stays free.
        Add_ICalendar_Line(out, "TRANSP:TRANSPARENT");
        if (const auto own = Own_Alarm_For(Read_Entry_Attributes(entry).Own_Lead, alarm)) {
            for (const std::string& line : Own_Alarm_Lines(*own, ICalendar_Summary(entry))) {
                Add_ICalendar_Line(out, line);
            }
        }
        Add_ICalendar_Line(out, "END:VEVENT");
    }
    Add_ICalendar_Line(out, "END:VCALENDAR");
    return out;
}

}  // namespace tessaly
