#include "exchange/icalendar_text.h"

#include <cstdio>

#include "core/text_encoding.h"

namespace tessaly {

namespace {

constexpr std::string_view Line_End = "\r\n";
constexpr std::size_t Longest_Line = 75;

bool Is_Continuation_Byte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string Upper(std::string_view text) {
    return Ascii_Upper_Case(text);
}

}  // namespace

void Add_ICalendar_Line(std::string& out, std::string_view line) {
    std::size_t room = Longest_Line;
    while (line.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && Is_Continuation_Byte(line[cut])) {
            --cut;
        }
        // A run of continuation bytes longer than a line is no UTF-8 (a UID
        // a server sent, say): it is cut where the line ends.
        if (cut == 0) {
            cut = room;
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

// Other control characters, which TEXT does not allow, become a blank.
std::string ICalendar_Text_Value(std::string_view stored) {
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

std::string ICalendar_Summary(const TName_And_Event_Data& entry) {
    // An entry may lack either part (files written by hand, imports); the
    // title then shows the part it has.
    if (entry.Name.empty()) {
        return ICalendar_Text_Value(entry.Event_Type);
    }
    if (entry.Event_Type.empty()) {
        return ICalendar_Text_Value(entry.Name);
    }
    return ICalendar_Text_Value(entry.Name) + "'s " + ICalendar_Text_Value(entry.Event_Type);
}

std::string ICalendar_Date_Value(const Civil_Date& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", date.Year, date.Month, date.Day);
    return text;
}

std::string ICalendar_Stamp_Value(std::chrono::sys_seconds stamp) {
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

std::string ICalendar_Yearly_Rule(const Civil_Date& date) {
    return date.Month == 2 && date.Day == 29 ? "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1"
                                             : "FREQ=YEARLY";
}

std::vector<std::string> Unfold_ICalendar_Lines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!line.empty() && (line.front() == ' ' || line.front() == '\t') && !lines.empty()) {
            lines.back() += line.substr(1);
        } else if (!line.empty()) {
            lines.emplace_back(line);
        }
    }
    return lines;
}

std::string ICalendar_Line::Parameter(std::string_view upper_case_name) const {
    for (const auto& [name, value] : Parameters) {
        if (name == upper_case_name) {
            return value;
        }
    }
    return {};
}

std::optional<ICalendar_Line> Parse_ICalendar_Line(std::string_view line) {
    ICalendar_Line result;
    std::size_t at = line.find_first_of(";:");
    if (at == std::string_view::npos || at == 0) {
        return std::nullopt;
    }
    result.Name = Upper(line.substr(0, at));
    // Parameters: NAME=value or NAME="quoted value", separated by ";"; a
    // colon inside quotes is not the end.
    while (line[at] == ';') {
        const std::size_t equals = line.find('=', at + 1);
        if (equals == std::string_view::npos) {
            return std::nullopt;
        }
        std::string name = Upper(line.substr(at + 1, equals - at - 1));
        std::size_t next = equals + 1;
        std::string value;
        if (next < line.size() && line[next] == '"') {
            const std::size_t close = line.find('"', next + 1);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            value = std::string(line.substr(next + 1, close - next - 1));
            next = close + 1;
        } else {
            const std::size_t stop = line.find_first_of(";:", next);
            if (stop == std::string_view::npos) {
                return std::nullopt;
            }
            value = std::string(line.substr(next, stop - next));
            next = stop;
        }
        if (next >= line.size() || (line[next] != ';' && line[next] != ':')) {
            return std::nullopt;
        }
        result.Parameters.emplace_back(std::move(name), std::move(value));
        at = next;
    }
    result.Value = std::string(line.substr(at + 1));
    return result;
}

std::string Unescape_ICalendar_Text(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            text += next == 'n' || next == 'N' ? '\n' : next;
        } else {
            text += value[i];
        }
    }
    return text;
}

}  // namespace tessaly

namespace tessaly {

namespace {

constexpr int Seconds_Per_Day = 86400;
constexpr int Most_Alarm_Days = 365;

// A DURATION ("-P1DT15H", "P2W") in seconds; none where it does not parse.
std::optional<long long> Duration_Seconds(std::string_view text) {
    long long sign = 1;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        sign = text.front() == '-' ? -1 : 1;
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() != 'P') {
        return std::nullopt;
    }
    text.remove_prefix(1);
    long long total = 0;
    bool in_time = false;
    bool any = false;
    while (!text.empty()) {
        if (text.front() == 'T' && !in_time) {
            in_time = true;
            text.remove_prefix(1);
            continue;
        }
        std::size_t digits = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
            ++digits;
        }
        if (digits == 0 || digits == text.size()) {
            return std::nullopt;
        }
        const std::optional<int> number = Decimal_Value(text.substr(0, digits), 9);
        if (!number) {
            return std::nullopt;
        }
        const char unit = text[digits];
        long long scale = 0;
        if (!in_time && unit == 'W') {
            scale = 7LL * Seconds_Per_Day;
        } else if (!in_time && unit == 'D') {
            scale = Seconds_Per_Day;
        } else if (in_time && unit == 'H') {
            scale = 3600;
        } else if (in_time && unit == 'M') {
            scale = 60;
        } else if (in_time && unit == 'S') {
            scale = 1;
        } else {
            return std::nullopt;
        }
        total += *number * scale;
        any = true;
        text.remove_prefix(digits + 1);
    }
    if (!any) {
        return std::nullopt;
    }
    return sign * total;
}

std::optional<int> Lead_Of_Seconds_Before(long long before) {
    if (before <= 0) {
        return std::nullopt;
    }
    const long long days = (before + Seconds_Per_Day - 1) / Seconds_Per_Day;
    if (days > Most_Alarm_Days) {
        return std::nullopt;
    }
    return static_cast<int>(days);
}

std::string Days_Before_Trigger(int days) {
    // Nine in the morning of the day that many days before.
    return days == 1 ? "-PT15H" : "-P" + std::to_string(days - 1) + "DT15H";
}

}  // namespace

std::string Default_Alarm_Text(const Default_Alarm& alarm) {
    switch (alarm.When) {
        case Default_Alarm::Kind::On_The_Day:
            return "on-the-day";
        case Default_Alarm::Kind::Days_Before:
            return alarm.Days == 1 ? "1-day-before" : std::to_string(alarm.Days) + "-days-before";
        case Default_Alarm::Kind::None:
            break;
    }
    return "none";
}

std::optional<Default_Alarm> Parse_Default_Alarm(std::string_view text) {
    text = Trimmed(text);
    if (text == "none") {
        return Default_Alarm{};
    }
    if (text == "on-the-day") {
        return Default_Alarm{Default_Alarm::Kind::On_The_Day, 0};
    }
    constexpr std::string_view suffix = "-days-before";
    constexpr std::string_view one_day = "1-day-before";
    if (text == one_day) {
        return Default_Alarm{Default_Alarm::Kind::Days_Before, 1};
    }
    if (!text.ends_with(suffix)) {
        return std::nullopt;
    }
    const std::optional<int> days = Decimal_Value(text.substr(0, text.size() - suffix.size()), 3);
    if (!days || *days < 1 || *days > Most_Alarm_Days) {
        return std::nullopt;
    }
    return Default_Alarm{Default_Alarm::Kind::Days_Before, *days};
}

std::optional<Own_Alarm> Own_Alarm_For(std::optional<int> lead, const Default_Alarm& fallback) {
    if (lead && *lead >= 1 && *lead <= Most_Alarm_Days) {
        return Own_Alarm{true, Days_Before_Trigger(*lead)};
    }
    switch (fallback.When) {
        case Default_Alarm::Kind::On_The_Day:
            return Own_Alarm{false, "PT9H"};
        case Default_Alarm::Kind::Days_Before:
            return Own_Alarm{false, Days_Before_Trigger(fallback.Days)};
        case Default_Alarm::Kind::None:
            break;
    }
    return std::nullopt;
}

std::vector<std::string> Own_Alarm_Lines(const Own_Alarm& alarm, std::string_view summary) {
    return {"BEGIN:VALARM",
            "ACTION:DISPLAY",
            "TRIGGER:" + alarm.Trigger,
            "DESCRIPTION:" + std::string(summary.empty() ? "Reminder" : summary),
            std::string(Own_Alarm_Property) + ":" + (alarm.Lead ? "lead" : "default"),
            "END:VALARM"};
}

std::optional<Own_Alarm> Own_Alarm_Of(const std::vector<ICalendar_Line>& marks,
                                      const std::vector<ICalendar_Line>& triggers) {
    if (marks.size() != 1 || triggers.size() != 1 || !marks.front().Parameters.empty()) {
        return std::nullopt;
    }
    const std::string kind = Upper(marks.front().Value);
    if (kind != "LEAD" && kind != "DEFAULT") {
        return std::nullopt;
    }
    const ICalendar_Line& trigger = triggers.front();
    for (const auto& [name, value] : trigger.Parameters) {
        const std::string meaning = Upper(value);
        if (!(name == "VALUE" && meaning == "DURATION") &&
            !(name == "RELATED" && meaning == "START")) {
            return std::nullopt;
        }
    }
    // The time it rings, however the duration is written (-P1DT15H,
    // -PT39H): a server may write it back its own way.
    const std::optional<long long> offset = Duration_Seconds(Upper(trigger.Value));
    if (!offset) {
        return std::nullopt;
    }
    const bool lead = kind == "LEAD";
    if (!lead && *offset == 9 * 3600) {
        return Own_Alarm_For(std::nullopt, {Default_Alarm::Kind::On_The_Day, 0});
    }
    // 09:00 a whole number of days before.
    const long long before = -*offset - 15 * 3600;
    if (before < 0 || before % Seconds_Per_Day != 0 ||
        before / Seconds_Per_Day >= Most_Alarm_Days) {
        return std::nullopt;
    }
    const int days = static_cast<int>(before / Seconds_Per_Day) + 1;
    return lead ? Own_Alarm_For(days, {})
                : Own_Alarm_For(std::nullopt, {Default_Alarm::Kind::Days_Before, days});
}

std::optional<int> Trigger_Lead_Days(const ICalendar_Line& trigger, const Civil_Date& start) {
    const std::string value = Upper(Trimmed(trigger.Value));
    if (Upper(trigger.Parameter("VALUE")) == "DATE-TIME") {
        // 19980101T000000 or ...Z: a whole day only.
        std::string_view text = value;
        if (text.ends_with('Z')) {
            text.remove_suffix(1);
        }
        if (text.size() != 15 || text[8] != 'T' || text.substr(9) != "000000") {
            return std::nullopt;
        }
        const auto year = Decimal_Value(text.substr(0, 4), 4);
        const auto month = Decimal_Value(text.substr(4, 2), 2);
        const auto day = Decimal_Value(text.substr(6, 2), 2);
        if (!year || !month || !day || !Is_Valid_Civil_Date(*year, *month, *day)) {
            return std::nullopt;
        }
        const long long days = Whole_Day(Encode_Date(start.Year, start.Month, start.Day)) -
                               Whole_Day(Encode_Date(*year, *month, *day));
        return Lead_Of_Seconds_Before(days * Seconds_Per_Day);
    }
    const std::optional<long long> offset = Duration_Seconds(value);
    if (!offset) {
        return std::nullopt;
    }
    // An all-day event ends at the end of its day.
    const long long from_start =
        *offset + (Upper(trigger.Parameter("RELATED")) == "END" ? Seconds_Per_Day : 0);
    return Lead_Of_Seconds_Before(-from_start);
}

}  // namespace tessaly
