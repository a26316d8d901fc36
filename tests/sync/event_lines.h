#pragma once

// An event's content lines split into those the list owns (the VEVENT's own
// SUMMARY, DESCRIPTION, dates, rule, stamps and properties of ours) and all
// others, each with its folds and line ends as the text holds them, and
// apart from both the alarms of ours (Own_Alarm_Of) and the declined lead's
// mark; blank lines are left out. The VEVENT's own lines are found as the
// event's reader finds them. Shared by the patch's test and its fuzz target.

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_encoding.h"
#include "exchange/icalendar_text.h"

namespace tessaly::test {

struct Event_Lines {
    std::vector<std::string> Owned;
    std::vector<std::string> Others;
    std::vector<std::string> Alarms;
};

// None where a line does not parse.
inline std::optional<Event_Lines> Split_Event_Lines(std::string_view text) {
    static const std::vector<std::string> owned = {
        "SUMMARY", "DESCRIPTION", "X-TESSALY-NAME", "X-TESSALY-EVENT-TYPE", "DTSTART",
        "DTEND",   "RRULE",       "DTSTAMP",        "LAST-MODIFIED",        "SEQUENCE"};
    std::vector<std::string> raw;
    std::vector<std::string> unfolded;
    while (!text.empty()) {
        const std::string_view line =
            text.substr(0, std::min(text.find('\n'), text.size() - 1) + 1);
        text.remove_prefix(line.size());
        std::string_view content = line.substr(0, line.find('\n'));
        if (content.ends_with('\r')) {
            content.remove_suffix(1);
        }
        if (content.empty()) {
            continue;
        }
        if ((content.front() == ' ' || content.front() == '\t') && !raw.empty()) {
            raw.back() += line;
            unfolded.back() += content.substr(1);
        } else {
            raw.emplace_back(line);
            unfolded.emplace_back(content);
        }
    }
    Event_Lines lines;
    bool in_event = false;
    int depth = 0;
    std::vector<std::string> alarm;  // a VALARM of the VEVENT being read
    bool in_alarm = false;
    std::vector<ICalendar_Line> marks;  // the alarm's own X-TESSALY-ALARM lines
    std::vector<ICalendar_Line> triggers;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const std::optional<ICalendar_Line> line = Parse_ICalendar_Line(unfolded[i]);
        if (!line) {
            return std::nullopt;
        }
        const std::string value = Ascii_Upper_Case(line->Value);
        bool ours = false;
        if (line->Name == "BEGIN") {
            if (in_event && depth == 0 && value == "VALARM") {
                in_alarm = true;
                marks.clear();
                triggers.clear();
            }
            depth += in_event ? 1 : 0;
            in_event = in_event || value == "VEVENT";
        } else if (line->Name == "END") {
            if (in_event && depth > 0) {
                --depth;
            } else if (in_event && value == "VEVENT") {
                in_event = false;
            }
        } else if (in_alarm) {
            if (depth == 1 && line->Name == "X-TESSALY-ALARM") {
                marks.push_back(*line);
            } else if (depth == 1 && line->Name == "TRIGGER") {
                triggers.push_back(*line);
            }
        } else if (in_event && depth == 0 && line->Name == "X-TESSALY-NO-LEAD") {
            lines.Alarms.push_back(raw[i]);
            continue;
        } else {
            ours = in_event && depth == 0 &&
                   std::find(owned.begin(), owned.end(), line->Name) != owned.end();
        }
        if (in_alarm) {
            alarm.push_back(raw[i]);
            if (depth == 0) {
                auto& to = Own_Alarm_Of(marks, triggers) ? lines.Alarms : lines.Others;
                to.insert(to.end(), alarm.begin(), alarm.end());
                alarm.clear();
                in_alarm = false;
            }
            continue;
        }
        (ours ? lines.Owned : lines.Others).push_back(raw[i]);
    }
    return lines;
}

}  // namespace tessaly::test
