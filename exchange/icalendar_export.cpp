#include "exchange/icalendar_export.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string_view>
#include <tuple>

#include "core/dates.h"
#include "core/program_identity.h"
#include "core/text_encoding.h"

namespace tessaly {

namespace {

constexpr std::string_view Line_End = "\r\n";
constexpr std::size_t Longest_Line = 75;

bool Is_Continuation_Byte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Appends one content line, folded so that no line exceeds 75 octets and no
// UTF-8 sequence is split: a continuation line starts with a space.
void Add_Line(std::string& out, std::string_view line) {
    std::size_t room = Longest_Line;
    while (line.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && Is_Continuation_Byte(line[cut])) {
            --cut;
        }
        out += line.substr(0, cut);
        out += Line_End;
        out += ' ';
        line.remove_prefix(cut);
        room = Longest_Line - 1;
    }
    out += line;
    out += Line_End;
}

// A TEXT value: the stored bytes as shown, with the characters that TEXT
// reserves escaped. Any line break becomes "\n"; other control characters,
// which TEXT does not allow, become a blank.
std::string Text_Value(std::string_view stored) {
    const std::string text = To_Display_UTF8(stored);
    std::string value;
    value.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
            case '\\':
            case ';':
            case ',':
                value += '\\';
                value += c;
                break;
            case '\r':
                if (i + 1 < text.size() && text[i + 1] == '\n') {
                    ++i;
                }
                value += "\\n";
                break;
            case '\n':
                value += "\\n";
                break;
            default:
                value += (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F ? ' ' : c;
        }
    }
    return value;
}

std::string Summary_Of(const TName_And_Event_Data& entry) {
    // An entry may lack either part (files written by hand, imports); the
    // title then shows the part it has.
    if (entry.Name.empty()) {
        return Text_Value(entry.Event_Type);
    }
    if (entry.Event_Type.empty()) {
        return Text_Value(entry.Name);
    }
    return Text_Value(entry.Name) + "'s " + Text_Value(entry.Event_Type);
}

std::string Date_Value(const Civil_Date& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", date.Year, date.Month, date.Day);
    return text;
}

std::string Stamp_Value(std::chrono::sys_seconds stamp) {
    using namespace std::chrono;
    const sys_days day = floor<days>(stamp);
    const year_month_day date{day};
    const hh_mm_ss time{stamp - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02u%02uT%02d%02d%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

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

std::string Export_ICalendar(std::span<const TName_And_Event_Data> entries,
                             std::chrono::sys_seconds stamp) {
    std::string out;
    Add_Line(out, "BEGIN:VCALENDAR");
    Add_Line(out, "VERSION:2.0");
    Add_Line(out, std::string("PRODID:-//Tessaly//") + Program_Title + "//EN");
    Add_Line(out, "CALSCALE:GREGORIAN");
    const std::string dtstamp = "DTSTAMP:" + Stamp_Value(stamp);

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
        Add_Line(out, "BEGIN:VEVENT");
        Add_Line(out, uid);
        Add_Line(out, dtstamp);
        Add_Line(out, "DTSTART;VALUE=DATE:" + Date_Value(date));
        // The window shows 29 February on 28 February in common years: the
        // last day of February gives the calendar the same day.
        Add_Line(out, date.Month == 2 && date.Day == 29
                          ? "RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1"
                          : "RRULE:FREQ=YEARLY");
        Add_Line(out, "SUMMARY:" + Summary_Of(entry));
        if (!entry.Comments.empty()) {
            Add_Line(out, "DESCRIPTION:" + Text_Value(entry.Comments));
        }
        // A reminder of a day, not an appointment: free/busy stays free.
        Add_Line(out, "TRANSP:TRANSPARENT");
        Add_Line(out, "END:VEVENT");
    }
    Add_Line(out, "END:VCALENDAR");
    return out;
}

}  // namespace tessaly
