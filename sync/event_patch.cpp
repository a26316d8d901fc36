#include "sync/event_patch.h"

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/text_encoding.h"
#include "exchange/icalendar_text.h"
#include "sync/event_resource.h"

namespace tessaly {

namespace {

// The properties Entry_Event writes for the name and the event type.
constexpr std::string_view Name_Property = "X-TESSALY-NAME";
constexpr std::string_view Type_Property = "X-TESSALY-EVENT-TYPE";

constexpr long long Largest_Sequence = 2147483647;  // an INTEGER's largest value

// One content line: its bytes from its first physical line through its last
// continuation, and its text unfolded as Unfold_ICalendar_Lines does it.
struct Content_Line {
    std::size_t Begin = 0;
    std::size_t End = 0;
    std::string Text;
    std::string_view Ending;  // of its first physical line; none at the very end
    ICalendar_Line Parsed;
    bool Event_Property = false;  // of the VEVENT itself, not of a component in it
};

// Lines First..Last (BEGIN to END) of a VALARM of ours.
struct Line_Span {
    std::size_t First = 0;
    std::size_t Last = 0;
};

struct Event_Layout {
    std::vector<Content_Line> Lines;
    // Where added properties go: the VEVENT's first component, or its END.
    std::size_t Insert_At = 0;
    std::size_t End_At = 0;  // the VEVENT's END, where our alarm is added
    std::string_view Added_Ending;
    std::vector<Line_Span> Own_Alarms;
};

std::vector<Content_Line> Content_Lines(std::string_view text) {
    std::vector<Content_Line> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::size_t next = end == text.size() ? end : end + 1;
        std::string_view line = text.substr(at, end - at);
        const bool cr = !line.empty() && line.back() == '\r';
        if (cr) {
            line.remove_suffix(1);
        }
        if (!line.empty() && (line.front() == ' ' || line.front() == '\t') && !lines.empty()) {
            lines.back().Text += line.substr(1);
            lines.back().End = next;
        } else if (!line.empty()) {
            Content_Line content;
            content.Begin = at;
            content.End = next;
            content.Text = std::string(line);
            content.Ending = end == text.size() ? "" : cr ? "\r\n" : "\n";
            lines.push_back(std::move(content));
        }
        at = next;
    }
    return lines;
}

// The lines with the VEVENT's own properties marked as Read_Event_Entry
// finds them. None where a line does not parse or the VEVENT is not closed.
std::optional<Event_Layout> Layout_Of(std::string_view text) {
    Event_Layout layout;
    layout.Lines = Content_Lines(text);
    bool in_event = false;
    int depth = 0;
    std::optional<std::size_t> insert_at;
    std::optional<std::size_t> end_at;
    std::optional<Line_Span> alarm;  // the VEVENT's VALARM being read
    std::vector<ICalendar_Line> marks;
    std::vector<ICalendar_Line> triggers;
    for (std::size_t i = 0; i < layout.Lines.size(); ++i) {
        Content_Line& line = layout.Lines[i];
        std::optional<ICalendar_Line> parsed = Parse_ICalendar_Line(line.Text);
        if (!parsed) {
            return std::nullopt;
        }
        line.Parsed = std::move(*parsed);
        const std::string value = Ascii_Upper_Case(line.Parsed.Value);
        if (line.Parsed.Name == "BEGIN") {
            if (in_event) {
                if (depth == 0 && !insert_at) {
                    insert_at = i;
                }
                if (depth == 0 && value == "VALARM") {
                    alarm = Line_Span{i, i};
                    marks.clear();
                    triggers.clear();
                }
                ++depth;
            } else if (value == "VEVENT") {
                in_event = true;
                layout.Added_Ending = line.Ending;
            }
        } else if (line.Parsed.Name == "END") {
            if (in_event && depth > 0) {
                --depth;
                if (depth == 0 && alarm) {
                    alarm->Last = i;
                    if (Own_Alarm_Of(marks, triggers)) {
                        layout.Own_Alarms.push_back(*alarm);
                    }
                    alarm.reset();
                }
            } else if (in_event && value == "VEVENT") {
                in_event = false;
                insert_at = insert_at.value_or(i);
                end_at = end_at.value_or(i);
            }
        } else {
            line.Event_Property = in_event && depth == 0;
            if (alarm && depth == 1 && line.Parsed.Name == Own_Alarm_Property) {
                marks.push_back(line.Parsed);
            } else if (alarm && depth == 1 && line.Parsed.Name == "TRIGGER") {
                triggers.push_back(line.Parsed);
            }
        }
    }
    if (!insert_at || !end_at) {
        return std::nullopt;
    }
    layout.Insert_At = *insert_at;
    layout.End_At = *end_at;
    return layout;
}

bool Reads_Same(const TName_And_Event_Data& a, const TName_And_Event_Data& b) {
    return a.Name == b.Name && a.Event_Type == b.Event_Type && a.Comments == b.Comments &&
           Whole_Day(a.Orig_Date) == Whole_Day(b.Orig_Date) &&
           Read_Entry_Attributes(a) == Read_Entry_Attributes(b);
}

// The property with a new value, keeping its parameters but the dropped
// ones; `first` (such as "VALUE=DATE") goes before them.
std::string Rewritten(const ICalendar_Line& line, std::string_view value,
                      std::initializer_list<std::string_view> dropped,
                      std::string_view first = {}) {
    std::string text = line.Name;
    if (!first.empty()) {
        text += ';';
        text += first;
    }
    for (const auto& [name, parameter] : line.Parameters) {
        if (std::find(dropped.begin(), dropped.end(), name) != dropped.end()) {
            continue;
        }
        // Quotes where the value needs them, as the line was read.
        const bool quoted = parameter.find_first_of(";:,") != std::string::npos &&
                            parameter.find('"') == std::string::npos;
        text += ';' + name + '=' + (quoted ? '"' + parameter + '"' : parameter);
    }
    text += ':';
    text += value;
    return text;
}

void Add_Line(std::string& out, std::string_view line, std::string_view ending) {
    std::string folded;
    Add_ICalendar_Line(folded, line);
    // A CR of the text itself would be taken for part of an LF line end.
    if (ending != "\n" || line.find('\r') != std::string_view::npos) {
        out += folded;
        return;
    }
    std::erase(folded, '\r');
    out += folded;
}

// The date after the event's own, which an all-day DTEND names; none past
// the last date the program knows.
std::optional<std::string> Next_Day_Value(const Civil_Date& date) {
    if (date.Year >= 9999 && date.Month == 12 && date.Day == 31) {
        return std::nullopt;
    }
    return ICalendar_Date_Value(Decode_Date(Encode_Date(date.Year, date.Month, date.Day) + 1));
}

// One up; a value that is no number counts as the 0 a missing one means. The
// largest stays.
std::optional<std::string> Next_Sequence(std::string_view value) {
    value = Trimmed(value);
    long long number = 0;
    const bool digits =
        !value.empty() && value.size() <= 10 &&
        std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
    for (const char c : digits ? value : std::string_view()) {
        number = number * 10 + (c - '0');
    }
    if (number >= Largest_Sequence) {
        return std::nullopt;
    }
    return std::to_string(number + 1);
}

enum class Edit_Kind { Keep, Replace, Remove };

struct Edit {
    Edit_Kind Kind = Edit_Kind::Keep;
    std::string Line;  // unfolded, for Replace
};

Edit Replace_With(std::string line) {
    return {Edit_Kind::Replace, std::move(line)};
}

// A TEXT property of ours: kept while it reads as the value. A rewritten one
// loses its alternative representation, which would still show the old text.
Edit Text_Edit(const ICalendar_Line& line, const std::optional<std::string>& value) {
    const std::string now = Unescape_ICalendar_Text(line.Value);
    if (now == Unescape_ICalendar_Text(value.value_or(""))) {
        return {};
    }
    if (!value) {
        return {Edit_Kind::Remove, {}};
    }
    return Replace_With(Rewritten(line, *value, {"ALTREP"}));
}

// An all-day date: kept while it holds the date as a DATE.
Edit Date_Edit(const ICalendar_Line& line, const std::optional<std::string>& value) {
    if (!value) {
        return {Edit_Kind::Remove, {}};
    }
    if (line.Value == *value && Ascii_Upper_Case(line.Parameter("VALUE")) == "DATE") {
        return {};
    }
    return Replace_With(Rewritten(line, *value, {"VALUE", "TZID"}, "VALUE=DATE"));
}

// A UTC time: kept while it holds the stamp already.
Edit Stamp_Edit(const ICalendar_Line& line, const std::string& value) {
    if (line.Value == value) {
        return {};
    }
    return Replace_With(Rewritten(line, value, {"VALUE", "TZID"}));
}

}  // namespace

std::optional<std::string> Patch_Event(std::string_view current, const TName_And_Event_Data& entry,
                                       std::chrono::sys_seconds stamp, const Default_Alarm& alarm) {
    const Event_Entry now = Read_Event_Entry(current);
    if (now.Reading != Event_Reading::Taken) {
        return std::nullopt;
    }
    // What the entry's own event reads as is what the patched one must read as.
    const Event_Entry fresh = Read_Event_Entry(Entry_Event(entry, now.Uid, stamp));
    if (fresh.Reading != Event_Reading::Taken) {
        return std::nullopt;
    }
    const std::optional<Event_Layout> layout = Layout_Of(current);
    if (!layout) {
        return std::nullopt;
    }
    const Own_Alarms own = Own_Alarms_For(Read_Entry_Attributes(fresh.Entry).Own_Lead, alarm,
                                          now.Foreign_Lead, now.Foreign_Alarm);
    const std::vector<std::string> alarm_lines =
        own.Alarm ? Own_Alarm_Lines(*own.Alarm, ICalendar_Summary(entry))
                  : std::vector<std::string>();
    // Our alarm stays as it is where it is the one wanted, to the byte.
    bool alarm_kept = layout->Own_Alarms.empty() && alarm_lines.empty();
    if (layout->Own_Alarms.size() == 1 && !alarm_lines.empty()) {
        const Line_Span span = layout->Own_Alarms.front();
        std::vector<std::string> there;
        for (std::size_t i = span.First; i <= span.Last; ++i) {
            there.push_back(layout->Lines[i].Text);
        }
        // In any order: servers that store events as their own library
        // writes them sort an alarm's properties.
        std::vector<std::string> wanted = alarm_lines;
        std::sort(there.begin(), there.end());
        std::sort(wanted.begin(), wanted.end());
        alarm_kept = there == wanted;
    }
    const std::optional<std::string> declined =
        own.Declined_Lead ? std::optional<std::string>(std::to_string(*own.Declined_Lead))
                          : std::nullopt;
    std::vector<std::string> marks;
    for (const Content_Line& line : layout->Lines) {
        if (line.Event_Property && line.Parsed.Name == Declined_Lead_Property) {
            marks.push_back(line.Parsed.Value);
        }
    }
    // As the edits below see it: the first mark stays while its text is the
    // one wanted (an empty one declines nothing), any other goes.
    const bool declined_kept =
        marks.empty() ? !declined
                      : marks.size() == 1 && Unescape_ICalendar_Text(marks.front()) ==
                                                 Unescape_ICalendar_Text(declined.value_or(""));
    if (Reads_Same(now.Entry, fresh.Entry) && alarm_kept && declined_kept) {
        return std::string(current);
    }

    const Civil_Date date = Decode_Date(fresh.Entry.Orig_Date);
    const bool date_moved = Whole_Day(now.Entry.Orig_Date) != Whole_Day(fresh.Entry.Orig_Date);
    const std::string start = ICalendar_Date_Value(date);
    const std::optional<std::string> end = Next_Day_Value(date);
    const std::string rule = ICalendar_Yearly_Rule(date);
    const std::string stamp_value = ICalendar_Stamp_Value(stamp);
    const std::string title = ICalendar_Summary(entry);
    const std::optional<std::string> description =
        entry.Comments.empty() ? std::nullopt
                               : std::optional<std::string>(ICalendar_Text_Value(entry.Comments));
    const std::string name = ICalendar_Text_Value(entry.Name);
    const std::string type = ICalendar_Text_Value(entry.Event_Type);

    const std::vector<Content_Line>& lines = layout->Lines;
    std::vector<Edit> edits(lines.size());
    std::vector<std::size_t> stamps;  // DTSTAMP, LAST-MODIFIED, SEQUENCE
    bool has_summary = false, has_description = false, has_name = false, has_type = false,
         has_stamp = false, has_sequence = false, has_declined = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].Event_Property) {
            continue;
        }
        const ICalendar_Line& line = lines[i].Parsed;
        Edit& edit = edits[i];
        if (line.Name == "SUMMARY") {
            has_summary = true;
            edit = Text_Edit(line, title);
        } else if (line.Name == "DESCRIPTION") {
            has_description = true;
            edit = Text_Edit(line, description);
        } else if (line.Name == Name_Property) {
            has_name = true;
            edit = Text_Edit(line, name);
        } else if (line.Name == Type_Property) {
            has_type = true;
            edit = Text_Edit(line, type);
        } else if (line.Name == Declined_Lead_Property) {
            // The first holds the mark; another is one too many.
            edit = has_declined ? Edit{Edit_Kind::Remove, {}} : Text_Edit(line, declined);
            has_declined = true;
        } else if (line.Name == "DTSTART") {
            edit = Date_Edit(line, start);
        } else if (line.Name == "DTEND") {
            edit = Date_Edit(line, end);
        } else if (line.Name == "RRULE") {
            // The rule read for the old date holds while the date stays.
            if (date_moved && Ascii_Upper_Case(line.Value) != rule) {
                edit = Replace_With(Rewritten(line, rule, {}));
            }
        } else if (line.Name == "DTSTAMP" || line.Name == "LAST-MODIFIED" ||
                   line.Name == "SEQUENCE") {
            has_stamp = has_stamp || line.Name == "DTSTAMP";
            has_sequence = has_sequence || line.Name == "SEQUENCE";
            stamps.push_back(i);
        }
    }

    std::vector<std::string> added;
    if (!has_summary && !title.empty()) {
        added.push_back("SUMMARY:" + title);
    }
    if (!has_description && description) {
        added.push_back("DESCRIPTION:" + *description);
    }
    // Ours keep a name or type holding "'s " apart from the title.
    if (!has_name) {
        added.push_back(std::string(Name_Property) + ":" + name);
    }
    if (!has_type) {
        added.push_back(std::string(Type_Property) + ":" + type);
    }
    if (!has_declined && declined) {
        added.push_back(std::string(Declined_Lead_Property) + ":" + *declined);
    }
    if (!alarm_kept) {
        for (const Line_Span& span : layout->Own_Alarms) {
            for (std::size_t i = span.First; i <= span.Last; ++i) {
                edits[i] = {Edit_Kind::Remove, {}};
            }
        }
    }
    const auto render = [&](const std::vector<Edit>& with, const std::vector<std::string>& adding) {
        std::string out;
        out.reserve(current.size() + 256);
        std::size_t copied = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Content_Line& line = lines[i];
            out += current.substr(copied, line.Begin - copied);  // blank lines before it
            if (i == layout->Insert_At) {
                for (const std::string& text : adding) {
                    Add_Line(out, text, layout->Added_Ending);
                }
            }
            if (i == layout->End_At && !alarm_kept) {
                for (const std::string& text : alarm_lines) {
                    Add_Line(out, text, layout->Added_Ending);
                }
            }
            switch (with[i].Kind) {
                case Edit_Kind::Keep:
                    out += current.substr(line.Begin, line.End - line.Begin);
                    break;
                case Edit_Kind::Replace:
                    Add_Line(out, with[i].Line, line.Ending);
                    break;
                case Edit_Kind::Remove:
                    break;
            }
            copied = line.End;
        }
        out += current.substr(copied);
        return out;
    };
    // The stamps move only where the edits change a byte: an edit that
    // keeps what is there (a mark or an alarm that only looked out of
    // place) must not make every sync send the event again.
    std::string out = render(edits, added);
    if (out != current) {
        for (const std::size_t i : stamps) {
            const ICalendar_Line& line = lines[i].Parsed;
            if (line.Name == "SEQUENCE") {
                if (const std::optional<std::string> next = Next_Sequence(line.Value)) {
                    edits[i] = Replace_With(Rewritten(line, *next, {}));
                }
            } else {
                edits[i] = Stamp_Edit(line, stamp_value);
            }
        }
        if (!has_stamp) {
            added.insert(added.begin(), "DTSTAMP:" + stamp_value);
        }
        if (!has_sequence && date_moved) {
            // Before the declined lead's mark, where one is added.
            added.insert(added.end() - (!has_declined && declined ? 1 : 0), "SEQUENCE:1");
        }
        out = render(edits, added);
    }

    // Lines this program would split otherwise than its reader does: a fresh
    // event is better than one that reads wrong.
    const Event_Entry patched = Read_Event_Entry(out);
    if (patched.Reading != Event_Reading::Taken || patched.Uid != now.Uid ||
        !Reads_Same(patched.Entry, fresh.Entry) || patched.Foreign_Lead != now.Foreign_Lead) {
        return std::nullopt;
    }
    return out;
}

bool Carries_Own_Alarms(std::string_view current, const TName_And_Event_Data& entry,
                        const Default_Alarm& alarm) {
    const std::optional<std::string> patched =
        Patch_Event(current, entry, std::chrono::sys_seconds{}, alarm);
    return !patched || *patched == current;
}

}  // namespace tessaly
