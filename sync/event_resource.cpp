#include "sync/event_resource.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/field_limits.h"
#include "core/program_identity.h"
#include "core/text_encoding.h"
#include "exchange/icalendar_text.h"

namespace tessaly {

namespace {

constexpr std::string_view Name_Property = "X-TESSALY-NAME";
constexpr std::string_view Type_Property = "X-TESSALY-EVENT-TYPE";
constexpr std::string_view Possessive = "'s ";

// "FREQ=YEARLY;BYMONTH=2" as name and value pairs, names upper case.
std::vector<std::pair<std::string, std::string>> Rule_Parts(std::string_view rule) {
    std::vector<std::pair<std::string, std::string>> parts;
    while (!rule.empty()) {
        const std::size_t end = rule.find(';');
        const std::string_view part = rule.substr(0, end);
        const std::size_t equals = part.find('=');
        if (equals != std::string_view::npos) {
            parts.emplace_back(Ascii_Upper_Case(part.substr(0, equals)),
                               Ascii_Upper_Case(part.substr(equals + 1)));
        } else {
            parts.emplace_back(Ascii_Upper_Case(part), std::string());
        }
        rule.remove_prefix(end == std::string_view::npos ? rule.size() : end + 1);
    }
    return parts;
}

// Yearly on the start's month and day, every year, for ever: a rule that
// says anything else is an event the list cannot hold.
bool Is_Plain_Yearly(std::string_view rule, const Civil_Date& start) {
    bool yearly = false;
    for (const auto& [name, value] : Rule_Parts(rule)) {
        if (name == "FREQ") {
            yearly = value == "YEARLY";
        } else if (name == "INTERVAL") {
            if (value != "1") {
                return false;
            }
        } else if (name == "BYMONTH") {
            if (value != std::to_string(start.Month)) {
                return false;
            }
        } else if (name == "BYMONTHDAY") {
            const bool last_of_february = start.Month == 2 && start.Day == 29 && value == "-1";
            if (value != std::to_string(start.Day) && !last_of_february) {
                return false;
            }
        } else if (name != "WKST") {
            return false;
        }
    }
    return yearly;
}

std::optional<Civil_Date> Date_Of(std::string_view value) {
    if (value.size() != 8) {
        return std::nullopt;
    }
    const auto year = Decimal_Value(value.substr(0, 4), 4);
    const auto month = Decimal_Value(value.substr(4, 2), 2);
    const auto day = Decimal_Value(value.substr(6, 2), 2);
    if (!year || !month || !day || !Is_Valid_Civil_Date(*year, *month, *day)) {
        return std::nullopt;
    }
    return Civil_Date{*year, *month, *day};
}

std::string Storable(std::string_view text) {
    Field_Repairs repairs;
    return Storable_Text(text, repairs);
}

}  // namespace

Own_Alarms Own_Alarms_For(std::optional<int> lead, const Default_Alarm& fallback,
                          std::optional<int> foreign_lead, bool foreign_alarm) {
    Own_Alarms alarms;
    if (lead) {
        if (foreign_lead != lead) {
            alarms.Alarm = Own_Alarm_For(lead, fallback);
        }
    } else {
        if (!foreign_alarm) {
            alarms.Alarm = Own_Alarm_For(std::nullopt, fallback);
        }
        alarms.Declined_Lead = foreign_lead;
    }
    return alarms;
}

std::string Entry_Event(const TName_And_Event_Data& entry, std::string_view uid,
                        std::chrono::sys_seconds stamp, const Default_Alarm& alarm) {
    const Civil_Date date = Decode_Date(entry.Orig_Date);
    std::string out;
    Add_ICalendar_Line(out, "BEGIN:VCALENDAR");
    Add_ICalendar_Line(out, "VERSION:2.0");
    Add_ICalendar_Line(out, std::string("PRODID:-//Tessaly//") + Program_Title + "//EN");
    Add_ICalendar_Line(out, "BEGIN:VEVENT");
    Add_ICalendar_Line(out, "UID:" + std::string(uid));
    Add_ICalendar_Line(out, "DTSTAMP:" + ICalendar_Stamp_Value(stamp));
    Add_ICalendar_Line(out, "DTSTART;VALUE=DATE:" + ICalendar_Date_Value(date));
    Add_ICalendar_Line(out, "RRULE:" + ICalendar_Yearly_Rule(date));
    Add_ICalendar_Line(out, "SUMMARY:" + ICalendar_Summary(entry));
    if (!entry.Comments.empty()) {
        Add_ICalendar_Line(out, "DESCRIPTION:" + ICalendar_Text_Value(entry.Comments));
    }
    Add_ICalendar_Line(out, std::string(Name_Property) + ":" + ICalendar_Text_Value(entry.Name));
    Add_ICalendar_Line(out,
                       std::string(Type_Property) + ":" + ICalendar_Text_Value(entry.Event_Type));
    Add_ICalendar_Line(out, "TRANSP:TRANSPARENT");
    const Own_Alarms own =
        Own_Alarms_For(Read_Entry_Attributes(entry).Own_Lead, alarm, std::nullopt, false);
    if (own.Alarm) {
        for (const std::string& line : Own_Alarm_Lines(*own.Alarm, ICalendar_Summary(entry))) {
            Add_ICalendar_Line(out, line);
        }
    }
    Add_ICalendar_Line(out, "END:VEVENT");
    Add_ICalendar_Line(out, "END:VCALENDAR");
    return out;
}

Event_Entry Read_Event_Entry(std::string_view icalendar) {
    Event_Entry result;
    int events = 0;
    bool in_event = false;
    bool other_component = false;
    std::optional<ICalendar_Line> start;
    std::string rule;
    bool has_rule = false;
    bool limited = false;  // exceptions, extra dates, an end or a length
    std::optional<std::string> end;
    std::optional<std::string> summary;
    std::optional<std::string> description;
    std::optional<std::string> name;
    std::optional<std::string> type;
    int depth = 0;  // components inside the VEVENT (alarms)
    struct Alarm {
        std::vector<ICalendar_Line> Triggers;
        std::string Action;
        std::vector<ICalendar_Line> Marks;  // X-TESSALY-ALARM
    };
    std::vector<Alarm> alarms;
    bool in_alarm = false;
    std::optional<std::string> declined;

    for (const std::string& text : Unfold_ICalendar_Lines(icalendar)) {
        const std::optional<ICalendar_Line> line = Parse_ICalendar_Line(text);
        if (!line) {
            return result;
        }
        const std::string value = Ascii_Upper_Case(line->Value);
        if (line->Name == "BEGIN") {
            if (in_event) {
                if (depth == 0) {
                    in_alarm = value == "VALARM";
                    if (in_alarm) {
                        alarms.emplace_back();
                    }
                }
                ++depth;
            } else if (value == "VEVENT") {
                in_event = true;
                ++events;
            } else if (value != "VCALENDAR" && value != "VTIMEZONE" && value != "STANDARD" &&
                       value != "DAYLIGHT") {
                other_component = true;
            }
            continue;
        }
        if (line->Name == "END") {
            if (in_event && depth > 0) {
                --depth;
                in_alarm = in_alarm && depth > 0;
            } else if (in_event && value == "VEVENT") {
                in_event = false;
            }
            continue;
        }
        if (in_event && in_alarm && depth == 1) {
            Alarm& alarm = alarms.back();
            if (line->Name == "TRIGGER") {
                alarm.Triggers.push_back(*line);
            } else if (line->Name == "ACTION") {
                alarm.Action = value;
            } else if (line->Name == Own_Alarm_Property) {
                alarm.Marks.push_back(*line);
            }
            continue;
        }
        if (!in_event || depth > 0) {
            continue;
        }
        if (line->Name == "UID") {
            result.Uid = line->Value;
        } else if (line->Name == "DTSTART") {
            start = line;
        } else if (line->Name == "RRULE") {
            limited = limited || has_rule;
            rule = line->Value;
            has_rule = true;
        } else if (line->Name == "DTEND") {
            end = line->Value;
        } else if (line->Name == "DURATION") {
            limited = limited || Ascii_Upper_Case(line->Value) != "P1D";
        } else if (line->Name == "RDATE" || line->Name == "EXDATE" ||
                   line->Name == "RECURRENCE-ID" || line->Name == "EXRULE") {
            limited = true;
        } else if (line->Name == "SUMMARY") {
            summary = Unescape_ICalendar_Text(line->Value);
        } else if (line->Name == "DESCRIPTION") {
            description = Unescape_ICalendar_Text(line->Value);
        } else if (line->Name == Name_Property) {
            name = Unescape_ICalendar_Text(line->Value);
        } else if (line->Name == Type_Property) {
            type = Unescape_ICalendar_Text(line->Value);
        } else if (line->Name == Declined_Lead_Property) {
            declined = line->Value;
        }
    }
    if (events == 0 || in_event || result.Uid.empty() || !start) {
        return result;
    }
    result.Reading = Event_Reading::Not_Yearly_All_Day;
    const std::optional<Civil_Date> date = Date_Of(start->Value);
    const std::string value_type = Ascii_Upper_Case(start->Parameter("VALUE"));
    // All-day events may end the next day; any other end is a longer event.
    if (end && date) {
        const auto last = Date_Of(*end);
        limited = limited || !last ||
                  Whole_Day(Encode_Date(last->Year, last->Month, last->Day)) !=
                      Whole_Day(Encode_Date(date->Year, date->Month, date->Day)) + 1;
    }
    if (events != 1 || other_component || !date || value_type != "DATE" || !has_rule || limited ||
        !Is_Plain_Yearly(rule, *date)) {
        return result;
    }
    result.Reading = Event_Reading::Taken;

    TName_And_Event_Data& entry = result.Entry;
    entry.Orig_Date = Encode_Date(date->Year, date->Month, date->Day);
    const std::string title = summary.value_or("");
    // Our own properties hold while the title is still theirs: a title
    // edited in another calendar wins.
    TName_And_Event_Data ours;
    ours.Name = name.value_or("");
    ours.Event_Type = type.value_or("");
    if (name && type && Unescape_ICalendar_Text(ICalendar_Summary(ours)) == title) {
        entry.Name = *name;
        entry.Event_Type = *type;
    } else if (type && !type->empty() && title.ends_with(std::string(Possessive) + *type)) {
        entry.Name = title.substr(0, title.size() - Possessive.size() - type->size());
        entry.Event_Type = *type;
    } else if (const std::size_t split = title.rfind(Possessive); split != std::string::npos) {
        entry.Name = title.substr(0, split);
        entry.Event_Type = title.substr(split + Possessive.size());
    } else {
        entry.Name = title;
    }
    entry.Name = Storable(entry.Name);
    entry.Event_Type = Storable(entry.Event_Type);
    entry.Comments = Storable(description.value_or(""));

    int own_days = 0;  // 0: none
    int foreign_days = 0;
    for (const Alarm& alarm : alarms) {
        // The last trigger, as a client that reads one would take it.
        const int days = alarm.Triggers.empty()
                             ? 0
                             : Trigger_Lead_Days(alarm.Triggers.back(), *date).value_or(0);
        if (const std::optional<Own_Alarm> own = Own_Alarm_Of(alarm.Marks, alarm.Triggers)) {
            if (own->Lead) {
                own_days = std::max(own_days, days);
            }
        } else if (alarm.Action != "NONE") {
            result.Foreign_Alarm = true;
            foreign_days = std::max(foreign_days, days);
        }
    }
    if (foreign_days > 0) {
        result.Foreign_Lead = foreign_days;
    }
    std::optional<int> lead = own_days > 0 ? std::optional<int>(own_days) : std::nullopt;
    if (!lead && result.Foreign_Lead &&
        Decimal_Value(Trimmed(declined.value_or("")), 3) != result.Foreign_Lead) {
        lead = result.Foreign_Lead;
    }
    const bool year_unknown = date->Year == Year_Unknown_Placeholder;
    if (year_unknown || lead) {
        Write_Entry_Attributes(entry, {year_unknown, lead});
    }
    return result;
}

std::string Event_Url(std::string_view calendar_url, std::string_view uid) {
    // A name that needs no escaping: servers that list it in another
    // spelling than it was written in (an "@" left raw, say) still name the
    // same resource. A UID with other bytes keeps a hash of itself, so that
    // two UIDs never share a name.
    std::string name;
    bool replaced = false;
    for (const char c : uid) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '_';
        name += plain ? c : '_';
        replaced = replaced || !plain;
    }
    if (replaced || name.empty()) {
        std::uint32_t hash = 2166136261u;
        for (const char c : uid) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 16777619u;
        }
        char digits[12];
        std::snprintf(digits, sizeof digits, "-%08x", static_cast<unsigned>(hash));
        name += digits;
    }
    return std::string(calendar_url) + (calendar_url.ends_with('/') ? "" : "/") + name + ".ics";
}

std::string Entry_Event_Content(const TName_And_Event_Data& entry) {
    // Without the UID and the stamp, the event text is the entry's content;
    // the lead is added after it, so that an entry without one reads as
    // before leads were synced (older states hashed this text).
    const Entry_Attributes attributes = Read_Entry_Attributes(entry);
    TName_And_Event_Data plain = entry;
    Write_Entry_Attributes(plain, {attributes.Year_Unknown, std::nullopt});
    std::string content = Entry_Event(plain, "", std::chrono::sys_seconds{});
    content += attributes.Year_Unknown ? "year-less" : "";
    if (attributes.Own_Lead) {
        content += "lead=" + std::to_string(*attributes.Own_Lead);
    }
    return content;
}

}  // namespace tessaly
