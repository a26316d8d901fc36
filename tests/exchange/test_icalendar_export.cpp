// The calendar export, checked line by line and against libical as an
// independent reader: what it parses and the days its recurrence rules give
// must be what the list shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/event_list.h"
#include "core/text_encoding.h"
#include "exchange/icalendar_export.h"
#include "exchange/icalendar_text.h"
#include "test_support/sample_entries.h"

#ifdef TESSALY_HAVE_LIBICAL
#include <libical/ical.h>
#endif

namespace tessaly {
namespace {

using namespace std::chrono;

const sys_seconds Stamp = sys_days{year{2026} / December / 7} + hours{9} + minutes{5} + seconds{3};

using test::List_Of;

// Texts that test the folding, the escaping and the conversion of bytes
// written on Windows, and the days at the edges of the calendar.
const std::vector<test::Entry> Awkward = {
    {"Åsa Öberg-Ståhlberg " + std::string(30, 'x') + " Ærøskøbing 日本語テキスト🎂 and more", 1984,
     5, 17, "Birthday", "ü€ 𝄞 \"quoted\", semi; back\\slash\r\nsecond line\nthird"},
    {"Leap Lena", 2000, 2, 29, "Birthday", ""},
    {"Caf\xE9 M\xFCller", 1999, 3, 1, "Jubil\xE4um", "\x93smart\x94 \x80 5"},
    {"First Day", 1, 1, 1, "Founding", ""},
    {"Last Day", 9999, 12, 31, "Deadline", ""},
    {"Twin", 1990, 6, 1, "Birthday", "same"},
    {"Twin", 1990, 6, 1, "Birthday", "same"},
    {"", 1970, 1, 1, "Wedding Anniversary", ""},
    {"New Year", 2027, 1, 1, "", ""},
};

std::vector<std::string> Physical_Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "the text must end with CR LF";
    return lines;
}

std::vector<std::string> Unfolded_Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (const std::string& line : Physical_Lines(text)) {
        if (!line.empty() && line[0] == ' ') {
            lines.back() += line.substr(1);
        } else {
            lines.push_back(line);
        }
    }
    return lines;
}

std::vector<std::string> Values_Of(const std::vector<std::string>& lines, const std::string& name) {
    std::vector<std::string> values;
    for (const std::string& line : lines) {
        if (line.rfind(name + ":", 0) == 0) {
            values.push_back(line.substr(name.size() + 1));
        }
    }
    return values;
}

TEST(ICalendar_Export, LinesAreFoldedAtSeventyFiveOctetsBetweenCharacters) {
    const std::string text = Export_ICalendar(List_Of(Awkward).Entries(), Stamp);
    const std::vector<std::string> lines = Physical_Lines(text);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
    bool folded = false;
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), 75u) << line;
        // Each piece is whole UTF-8: no sequence is cut at a fold.
        EXPECT_TRUE(Is_Valid_UTF8(line)) << line;
        folded = folded || (!line.empty() && line[0] == ' ');
    }
    EXPECT_TRUE(folded);
    EXPECT_EQ(lines.front(), "BEGIN:VCALENDAR");
    EXPECT_EQ(lines.back(), "END:VCALENDAR");

    // A run of stray continuation bytes longer than a line (a UID a server
    // sent) is cut where the line ends, and the folding ends.
    std::string stray;
    Add_ICalendar_Line(stray, "UID:" + std::string(200, '\xBA'));
    std::string unfolded;
    for (const std::string& piece : Physical_Lines(stray)) {
        EXPECT_LE(piece.size(), 75u);
        unfolded += unfolded.empty() ? piece : piece.substr(1);
    }
    EXPECT_EQ(unfolded, "UID:" + std::string(200, '\xBA'));
}

TEST(ICalendar_Export, EventsCarryDatesRulesTitlesAndEscapedTexts) {
    const std::vector<std::string> lines =
        Unfolded_Lines(Export_ICalendar(List_Of(Awkward).Entries(), Stamp));
    EXPECT_EQ(Values_Of(lines, "VERSION"), std::vector<std::string>{"2.0"});
    EXPECT_EQ(Values_Of(lines, "PRODID").size(), 1u);

    const std::vector<std::string> starts = Values_Of(lines, "DTSTART;VALUE=DATE");
    EXPECT_EQ(starts,
              (std::vector<std::string>{"19840517", "20000229", "19990301", "00010101", "99991231",
                                        "19900601", "19900601", "19700101", "20270101"}));
    const std::vector<std::string> rules = Values_Of(lines, "RRULE");
    ASSERT_EQ(rules.size(), Awkward.size());
    EXPECT_EQ(rules[1], "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1");
    EXPECT_EQ(std::count(rules.begin(), rules.end(), "FREQ=YEARLY"), 8);
    EXPECT_EQ(Values_Of(lines, "DTSTAMP"), std::vector<std::string>(9, "20261207T090503Z"));

    const std::vector<std::string> summaries = Values_Of(lines, "SUMMARY");
    ASSERT_EQ(summaries.size(), Awkward.size());
    EXPECT_EQ(summaries[2], "Café Müller's Jubiläum");
    EXPECT_EQ(summaries[7], "Wedding Anniversary");
    EXPECT_EQ(summaries[8], "New Year");

    // Only entries with a comment have a description.
    const std::vector<std::string> descriptions = Values_Of(lines, "DESCRIPTION");
    ASSERT_EQ(descriptions.size(), 4u);
    EXPECT_EQ(descriptions[0], "ü€ 𝄞 \"quoted\"\\, semi\\; back\\\\slash\\nsecond line\\nthird");
    EXPECT_EQ(descriptions[1], "“smart” € 5");
}

TEST(ICalendar_Export, AYearLessEntryIsAYearlyEventFrom1604WithoutAnAge) {
    Event_List list;
    TName_And_Event_Data& entry = list.Append();
    entry.Name = "Ann";
    entry.Orig_Date = Year_Unknown_Date(2, 29);
    entry.Event_Type = "Birthday";
    entry.Spare_3 = "[Tessaly/1]year=unknown;lead=30";
    const std::vector<std::string> lines = Unfolded_Lines(Export_ICalendar(list.Entries(), Stamp));
    EXPECT_EQ(Values_Of(lines, "DTSTART;VALUE=DATE"), (std::vector<std::string>{"16040229"}));
    EXPECT_EQ(Values_Of(lines, "RRULE"),
              (std::vector<std::string>{"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1"}));
    EXPECT_EQ(Values_Of(lines, "SUMMARY"), (std::vector<std::string>{"Ann's Birthday"}));
}

TEST(ICalendar_Alarms, ATriggerGivesTheWholeDaysBeforeTheStartItRingsOn) {
    const Civil_Date start{1984, 5, 17};
    const std::vector<std::pair<const char*, int>> leads = {
        {"TRIGGER:-P30D", 30},
        {"TRIGGER:-PT15H", 1},  // the day before at 09:00
        {"TRIGGER:-P1DT15H", 2},
        {"TRIGGER:-PT1S", 1},
        {"TRIGGER:-P1DT0H0M1S", 2},
        {"TRIGGER:-P2W", 14},
        {"TRIGGER:-P365D", 365},
        {"TRIGGER:-P364DT1S", 365},
        {"TRIGGER;RELATED=END:-P1DT1M", 1},
        {"TRIGGER;RELATED=START:-P3D", 3},
        {"TRIGGER;VALUE=DATE-TIME:19840510T000000Z", 7},
        {"TRIGGER;VALUE=DATE-TIME:19840510T000000", 7},
        {"TRIGGER;VALUE=DATE-TIME:19830518T000000Z", 365},  // 1984 is a leap year
    };
    for (const auto& [trigger, lead] : leads) {
        EXPECT_EQ(Trigger_Lead_Days(Parse_ICalendar_Line(trigger).value(), start), lead) << trigger;
    }
    // Past the longest lead, on the day or after, at the start itself, no
    // whole day before it, or not a time at all.
    for (const char* trigger :
         {"TRIGGER:-P366D", "TRIGGER:-PT0S", "TRIGGER:PT9H", "TRIGGER:+P1D",
          "TRIGGER;RELATED=END:-P1D", "TRIGGER;VALUE=DATE-TIME:19840516T170000Z",
          "TRIGGER;VALUE=DATE-TIME:19840517T000000Z", "TRIGGER;VALUE=DATE-TIME:19830517T000000Z",
          "TRIGGER;VALUE=DATE-TIME:19840230T000000Z", "TRIGGER:-P", "TRIGGER:-PT", "TRIGGER:-P1H",
          "TRIGGER:-PT1D", "TRIGGER:-P1D2", "TRIGGER:-1D", "TRIGGER:-P9999999999D"}) {
        EXPECT_EQ(Trigger_Lead_Days(Parse_ICalendar_Line(trigger).value(), start), std::nullopt)
            << trigger;
    }
    // Every lead this program writes reads back as itself.
    for (int lead = 1; lead <= 365; ++lead) {
        const auto own = Own_Alarm_For(lead, {});
        ASSERT_TRUE(own && own->Lead);
        const auto line = Parse_ICalendar_Line("TRIGGER:" + own->Trigger);
        EXPECT_EQ(Trigger_Lead_Days(*line, start), lead) << own->Trigger;
    }
}

// An alarm's lines, its marks and triggers read as the event's reader hands
// them over.
std::optional<Own_Alarm> Own_Alarm_In(const std::vector<std::string>& texts) {
    std::vector<ICalendar_Line> marks;
    std::vector<ICalendar_Line> triggers;
    for (const std::string& text : texts) {
        const ICalendar_Line line = Parse_ICalendar_Line(text).value();
        if (line.Name == "TRIGGER") {
            triggers.push_back(line);
        } else if (line.Name == Own_Alarm_Property) {
            marks.push_back(line);
        }
    }
    return Own_Alarm_Of(marks, triggers);
}

TEST(ICalendar_Alarms, OnlyAnAlarmAsWeWriteItIsOurs) {
    const std::string lead_mark = "X-TESSALY-ALARM:lead";
    const std::string default_mark = "X-TESSALY-ALARM:default";
    const std::vector<std::pair<std::vector<std::string>, Own_Alarm>> ours = {
        {{lead_mark, "TRIGGER:-PT15H"}, {true, "-PT15H"}},
        {{lead_mark, "TRIGGER:-P364DT15H"}, {true, "-P364DT15H"}},
        {{"X-TESSALY-ALARM:LEAD", "TRIGGER;VALUE=DURATION;RELATED=START:-p1dt15h"},
         {true, "-P1DT15H"}},
        // The same times written otherwise.
        {{lead_mark, "TRIGGER:-PT39H"}, {true, "-P1DT15H"}},
        {{lead_mark, "TRIGGER:-P01DT14H60M"}, {true, "-P1DT15H"}},
        {{default_mark, "TRIGGER:+PT540M"}, {false, "PT9H"}},
        {{default_mark, "TRIGGER:PT9H"}, {false, "PT9H"}},
        {{default_mark, "TRIGGER:-P6DT15H"}, {false, "-P6DT15H"}},
    };
    for (const auto& [lines, own] : ours) {
        EXPECT_EQ(Own_Alarm_In(lines), own) << lines[1];
    }
    // A lead_mark on the day, and times another client chose or wrote otherwise
    // than we do.
    for (const char* trigger :
         {"TRIGGER:PT9H", "TRIGGER:DURATION-P1DT15H", "TRIGGER:-P2D", "TRIGGER:-PT14H",
          "TRIGGER:-P1DT15H1S", "TRIGGER:-P365DT15H", "TRIGGER:-P1DT15H ",
          "TRIGGER;RELATED=END:-P1DT15H", "TRIGGER;VALUE=DATE-TIME:19840516T090000Z"}) {
        EXPECT_EQ(Own_Alarm_In({lead_mark, trigger}), std::nullopt) << trigger;
    }
    EXPECT_EQ(Own_Alarm_In({default_mark, "TRIGGER:-PT9H"}), std::nullopt);
    // Marks that only look like ours, and not one of each.
    const std::string trigger = "TRIGGER:-PT15H";
    for (const std::vector<std::string>& lines :
         std::vector<std::vector<std::string>>{{"X-TESSALY-ALARM:leads", trigger},
                                               {"X-TESSALY-ALARM:", trigger},
                                               {"X-TESSALY-ALARM;X-A=b:lead_mark", trigger},
                                               {trigger},
                                               {lead_mark, lead_mark, trigger},
                                               {lead_mark, trigger, trigger},
                                               {lead_mark}}) {
        EXPECT_EQ(Own_Alarm_In(lines), std::nullopt) << ::testing::PrintToString(lines);
    }
    // Whatever we write is ours.
    for (int days = 1; days <= 365; ++days) {
        for (const Default_Alarm& fallback :
             {Default_Alarm{}, Default_Alarm{Default_Alarm::Kind::Days_Before, days}}) {
            const std::optional<int> lead = fallback.When == Default_Alarm::Kind::None
                                                ? std::optional<int>(days)
                                                : std::nullopt;
            const Own_Alarm own = Own_Alarm_For(lead, fallback).value();
            EXPECT_EQ(Own_Alarm_In(Own_Alarm_Lines(own, "Ann's Birthday")), own) << own.Trigger;
        }
    }
}

TEST(ICalendar_Alarms, TheDefaultAlarmsWordsReadBackAndNothingElseReads) {
    for (int days = 1; days <= 365; ++days) {
        const Default_Alarm alarm{Default_Alarm::Kind::Days_Before, days};
        EXPECT_EQ(Parse_Default_Alarm(Default_Alarm_Text(alarm)), alarm);
    }
    EXPECT_EQ(Parse_Default_Alarm("none"), Default_Alarm{});
    EXPECT_EQ(Parse_Default_Alarm("on-the-day")->When, Default_Alarm::Kind::On_The_Day);
    for (const char* bad : {"", "0-days-before", "366-days-before", "-1-days-before",
                            "2-day-before", "days-before", "On-The-Day", "1000-days-before"}) {
        EXPECT_FALSE(Parse_Default_Alarm(bad)) << bad;
    }
}

TEST(ICalendar_Export, LeadsAndTheDefaultAlarmBecomeAlarmsOfOurs) {
    Event_List list =
        List_Of({{"Ann", 1984, 5, 17, "Birthday", ""}, {"Bo", 1990, 1, 2, "Birthday", ""}});
    ASSERT_TRUE(Write_Entry_Attributes(list.At(1), {false, 30}));
    // The unfolded lines of every VALARM, in order.
    const auto alarm_lines = [](const std::string& text) {
        std::vector<std::string> found;
        for (const std::string& line : Unfolded_Lines(text)) {
            if (line == "BEGIN:VALARM" || (!found.empty() && found.back() != "END:VALARM")) {
                found.push_back(line);
            }
        }
        return found;
    };
    const auto alarm = [](const char* trigger, const char* description, const char* mark) {
        return std::vector<std::string>{"BEGIN:VALARM",
                                        "ACTION:DISPLAY",
                                        std::string("TRIGGER:") + trigger,
                                        std::string("DESCRIPTION:") + description,
                                        std::string("X-TESSALY-ALARM:") + mark,
                                        "END:VALARM"};
    };
    std::vector<std::string> both = alarm("-P29DT15H", "Ann's Birthday", "lead");
    EXPECT_EQ(alarm_lines(Export_ICalendar(list.Entries(), Stamp)), both);
    const std::vector<std::string> bo = alarm("PT9H", "Bo's Birthday", "default");
    both.insert(both.end(), bo.begin(), bo.end());
    EXPECT_EQ(
        alarm_lines(Export_ICalendar(list.Entries(), Stamp, {Default_Alarm::Kind::On_The_Day, 0})),
        both);

    Profile_File settings;
    EXPECT_EQ(Read_Default_Alarm(settings), Default_Alarm{});
    settings.Write_String("Calendar Sync", "Default_Alarm", "3-days-before");
    EXPECT_EQ(Read_Default_Alarm(settings), (Default_Alarm{Default_Alarm::Kind::Days_Before, 3}));
    settings.Write_String("Calendar Sync", "Default_Alarm", "soon");
    EXPECT_EQ(Read_Default_Alarm(settings), Default_Alarm{});
}

TEST(ICalendar_Export, UidsFollowTheContentAndTellIdenticalEntriesApart) {
    const Event_List list = List_Of(Awkward);
    const std::vector<std::string> uids =
        Values_Of(Unfolded_Lines(Export_ICalendar(list.Entries(), Stamp)), "UID");
    EXPECT_EQ(std::set<std::string>(uids.begin(), uids.end()).size(), uids.size());

    // Another day, the list in another order, one entry edited: the others
    // keep their UIDs.
    Event_List changed = List_Of({Awkward[5], Awkward[0], Awkward[6], Awkward[2]});
    changed.At(4).Comments = "edited";
    const std::vector<std::string> later =
        Values_Of(Unfolded_Lines(Export_ICalendar(changed.Entries(), Stamp + days{400})), "UID");
    EXPECT_EQ(later[0], uids[5]);
    EXPECT_EQ(later[1], uids[0]);
    EXPECT_EQ(later[2], uids[6]);
    EXPECT_NE(later[3], uids[2]);
}

#ifdef TESSALY_HAVE_LIBICAL

struct Ical_Deleter {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};

// libical's recurrence iterator stops at the last year of its time type.
constexpr int Libical_Last_Year = 2582;

std::int32_t Day_Of(const icaltimetype& time) {
    return Day_Number_Of(time.year, time.month, time.day);
}

// The awkward entries, and year-less ones as the list holds them: their
// events start on the month and day in 1604, the year contact programs use
// for none, and repeat every year from there.
Event_List With_Year_Less_Entries() {
    Event_List list = List_Of(Awkward);
    for (const auto& [month, day] : {std::pair{2, 29}, std::pair{12, 7}, std::pair{1, 14}}) {
        TName_And_Event_Data& entry = list.Append();
        entry.Name = "No Year";
        entry.Orig_Date = Year_Unknown_Date(month, day);
        entry.Event_Type = "Birthday";
        entry.Spare_1 = "[Tessaly/1]year=unknown";
    }
    return list;
}

TEST(ICalendar_Export, LibicalReadsEveryEventAndItsRulesGiveTheListsNextOccurrences) {
    const Event_List list = With_Year_Less_Entries();
    // Alarms too: libical's own rules for them hold.
    const std::string text =
        Export_ICalendar(list.Entries(), Stamp, {Default_Alarm::Kind::Days_Before, 3});
    std::unique_ptr<icalcomponent, Ical_Deleter> calendar(icalparser_parse_string(text.c_str()));
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(icalcomponent_count_errors(calendar.get()), 0);
    EXPECT_TRUE(icalrestriction_check(calendar.get()));
    for (icalcomponent* event =
             icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
         event != nullptr;
         event = icalcomponent_get_next_component(calendar.get(), ICAL_VEVENT_COMPONENT)) {
        icalcomponent* alarm = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT);
        ASSERT_NE(alarm, nullptr);
        const icaltriggertype trigger = icalproperty_get_trigger(
            icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY));
        // Two days and 15 hours before the day's start: 09:00, three days before.
        EXPECT_EQ(icaldurationtype_as_int(trigger.duration), -(2 * 86400 + 15 * 3600));
    }

    const std::int32_t first_today = Day_Number_Of(2026, 12, 7);
    const std::int32_t last_today = Day_Number_Of(2036, 12, 7);
    std::vector<std::vector<std::int32_t>> occurrences;
    int index = 0;
    for (icalcomponent* event =
             icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
         event != nullptr;
         event = icalcomponent_get_next_component(calendar.get(), ICAL_VEVENT_COMPONENT), ++index) {
        ASSERT_LT(index, list.Event_Count());
        const TName_And_Event_Data& entry = list.Entries()[index];
        // The texts come back as the window shows them, unfolded and
        // unescaped.
        const std::string description =
            icalcomponent_get_description(event) ? icalcomponent_get_description(event) : "";
        std::string shown_comment = To_Display_UTF8(entry.Comments);
        for (std::size_t at; (at = shown_comment.find("\r\n")) != std::string::npos;) {
            shown_comment.erase(at, 1);
        }
        EXPECT_EQ(description, shown_comment);
        if (!entry.Name.empty() && !entry.Event_Type.empty()) {
            EXPECT_EQ(std::string(icalcomponent_get_summary(event)),
                      To_Display_UTF8(entry.Name) + "'s " + To_Display_UTF8(entry.Event_Type));
        }

        const icaltimetype start = icalcomponent_get_dtstart(event);
        EXPECT_TRUE(start.is_date);
        EXPECT_EQ(Day_Of(start), entry.Orig_Date);
        icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
        ASSERT_NE(rule, nullptr);
        icalrecur_iterator* iterator = icalrecur_iterator_new(icalproperty_get_rrule(rule), start);
        std::vector<std::int32_t> days;
        if (start.year > Libical_Last_Year) {
            // libical expands no rule past its own last year; the first
            // occurrence of an event is its start all the same.
            EXPECT_EQ(iterator, nullptr);
            occurrences.push_back({Day_Of(start)});
            continue;
        }
        ASSERT_NE(iterator, nullptr);
        for (icaltimetype next = icalrecur_iterator_next(iterator); !icaltime_is_null_time(next);
             next = icalrecur_iterator_next(iterator)) {
            days.push_back(Day_Of(next));
            if (days.back() > last_today + 400) {
                break;
            }
        }
        icalrecur_iterator_free(iterator);
        ASSERT_FALSE(days.empty()) << entry.Name;
        occurrences.push_back(std::move(days));
    }
    ASSERT_EQ(index, list.Event_Count());

    // Every day of the next ten years: the list's next occurrence is the
    // calendar's first occurrence on or after that day.
    Event_List shown = list;
    for (std::int32_t today = first_today; today <= last_today; ++today) {
        Calc_Days_Left_ButtonClick(shown, today);
        for (int i = 0; i < shown.Event_Count(); ++i) {
            const auto& days = occurrences[i];
            const auto next = std::lower_bound(days.begin(), days.end(), today);
            ASSERT_NE(next, days.end()) << shown.Entries()[i].Name;
            ASSERT_EQ(*next, shown.Entries()[i].Next_Event)
                << shown.Entries()[i].Name << " seen on day " << today;
        }
    }
}

#else

TEST(ICalendar_Export, LibicalReadsEveryEventAndItsRulesGiveTheListsNextOccurrences) {
    GTEST_SKIP() << "libical is not installed";
}

#endif

}  // namespace
}  // namespace tessaly
