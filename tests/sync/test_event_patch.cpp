#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/entry_attributes.h"
#include "event_data.h"
#include "event_lines.h"
#include "exchange/icalendar_text.h"
#include "sync/event_patch.h"
#include "sync/event_resource.h"
#include "test_support/sample_entries.h"

namespace tessaly {
namespace {

using namespace std::chrono;

const sys_seconds Stamp = sys_days{year{2026} / December / 9} + hours{17};
const sys_seconds Later = Stamp + days{30};

TName_And_Event_Data Entry_Of(const test::Entry& entry) {
    return test::List_Of({entry}).At(1);
}

std::string Unfolded(const std::string& raw) {
    return Unfold_ICalendar_Lines(raw).at(0);
}

// The patched text reads as the entry, and patching it again changes nothing.
void Expect_Reads_As(const std::string& patched, const TName_And_Event_Data& entry,
                     std::string_view uid) {
    const Event_Entry read = Read_Event_Entry(patched);
    ASSERT_EQ(read.Reading, Event_Reading::Taken) << patched;
    EXPECT_EQ(read.Uid, uid);
    EXPECT_EQ(read.Entry.Name, entry.Name);
    EXPECT_EQ(read.Entry.Event_Type, entry.Event_Type);
    EXPECT_EQ(read.Entry.Comments, entry.Comments);
    EXPECT_EQ(read.Entry.Orig_Date, entry.Orig_Date);
    EXPECT_EQ(Read_Entry_Attributes(read.Entry).Year_Unknown,
              Read_Entry_Attributes(entry).Year_Unknown);
    EXPECT_EQ(Patch_Event(patched, entry, Later), patched);
}

TEST(Event_Patch, APhoneEventKeepsEverythingTheListDoesNotOwn) {
    const std::string phone(test::Phone_Event);
    const Event_Entry read = Read_Event_Entry(phone);
    ASSERT_EQ(read.Reading, Event_Reading::Taken);
    ASSERT_EQ(read.Entry.Name, "Ann");
    ASSERT_EQ(read.Entry.Event_Type, "Birthday");

    const std::string kept_description =
        "DESCRIPTION:Bring the photo album from the attic\\, and ask her about the trip to the "
        "coast she keeps promising to tell us about\\nCake: lemon";
    const std::string kept_summary = "SUMMARY;LANGUAGE=en:Ann's Birthday";
    const std::string stamps[] = {"SEQUENCE:4", "LAST-MODIFIED:20261209T170000Z",
                                  "DTSTAMP:20261209T170000Z"};
    struct Case {
        const char* What;
        std::function<void(TName_And_Event_Data&)> Edit;
        std::vector<std::string> Owned_After;  // unfolded, in order
    };
    const std::vector<Case> cases = {
        {"comment",
         [](TName_And_Event_Data& e) { e.Comments = "Lemon cake, not chocolate;\nno candles"; },
         {"DTSTART;VALUE=DATE:19840517", "DTEND;VALUE=DATE:19840518",
          "RRULE:FREQ=YEARLY;BYMONTH=5;BYMONTHDAY=17", kept_summary,
          "DESCRIPTION:Lemon cake\\, not chocolate\\;\\nno candles", stamps[0], stamps[1],
          stamps[2], "X-TESSALY-NAME:Ann", "X-TESSALY-EVENT-TYPE:Birthday"}},
        {"date",
         [](TName_And_Event_Data& e) { e.Orig_Date = Encode_Date(1985, 2, 3); },
         {"DTSTART;VALUE=DATE:19850203", "DTEND;VALUE=DATE:19850204", "RRULE:FREQ=YEARLY",
          kept_summary, kept_description, stamps[0], stamps[1], stamps[2], "X-TESSALY-NAME:Ann",
          "X-TESSALY-EVENT-TYPE:Birthday"}},
        // A name holding "'s " comes back whole through the properties of ours.
        {"name",
         [](TName_And_Event_Data& e) { e.Name = "Ann's sister Bo"; },
         {"DTSTART;VALUE=DATE:19840517", "DTEND;VALUE=DATE:19840518",
          "RRULE:FREQ=YEARLY;BYMONTH=5;BYMONTHDAY=17",
          "SUMMARY;LANGUAGE=en:Ann's sister Bo's Birthday", kept_description, stamps[0], stamps[1],
          stamps[2], "X-TESSALY-NAME:Ann's sister Bo", "X-TESSALY-EVENT-TYPE:Birthday"}},
        {"year-less leap day",
         [](TName_And_Event_Data& e) {
             e.Orig_Date = Year_Unknown_Date(2, 29);
             ASSERT_TRUE(Write_Entry_Attributes(e, {true, Read_Entry_Attributes(e).Own_Lead}));
         },
         {"DTSTART;VALUE=DATE:16040229", "DTEND;VALUE=DATE:16040301",
          "RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1", kept_summary, kept_description, stamps[0],
          stamps[1], stamps[2], "X-TESSALY-NAME:Ann", "X-TESSALY-EVENT-TYPE:Birthday"}},
    };
    const test::Event_Lines before = test::Split_Event_Lines(phone).value();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TName_And_Event_Data entry = read.Entry;
        c.Edit(entry);
        const std::optional<std::string> patched = Patch_Event(phone, entry, Stamp);
        ASSERT_TRUE(patched.has_value());
        const test::Event_Lines after = test::Split_Event_Lines(*patched).value();
        EXPECT_EQ(after.Others, before.Others);
        std::vector<std::string> owned_after;
        for (const std::string& raw : after.Owned) {
            owned_after.push_back(Unfolded(raw));
            EXPECT_TRUE(raw.ends_with("\r\n")) << raw;
        }
        EXPECT_EQ(owned_after, c.Owned_After);
        // A value that stays keeps its folds and parameters.
        for (const std::string& raw : before.Owned) {
            if (std::find(c.Owned_After.begin(), c.Owned_After.end(), Unfolded(raw)) !=
                c.Owned_After.end()) {
                EXPECT_NE(std::find(after.Owned.begin(), after.Owned.end(), raw), after.Owned.end())
                    << raw;
            }
        }
        Expect_Reads_As(*patched, entry, read.Uid);
    }
}

struct Alarm_Step {
    const char* What;
    std::optional<int> Lead;
    Default_Alarm Alarm;
    std::vector<std::string> Ours;  // unfolded, in order
    bool Same = false;              // the text comes back as it was
};

// Patches the event step by step: each step's alarms and marks of ours are
// as given, every other line stays byte for byte, and the next patch gives
// the text back.
void Expect_Alarm_Steps(const std::string& event, bool foreign_alarm,
                        const std::vector<Alarm_Step>& steps) {
    const test::Event_Lines original = test::Split_Event_Lines(event).value();
    ASSERT_TRUE(original.Alarms.empty());
    const TName_And_Event_Data base = Read_Event_Entry(event).Entry;
    std::string text = event;
    for (const Alarm_Step& step : steps) {
        SCOPED_TRACE(step.What);
        TName_And_Event_Data entry = base;
        ASSERT_TRUE(Write_Entry_Attributes(entry, {false, step.Lead}));
        EXPECT_EQ(Carries_Own_Alarms(text, entry, step.Alarm), step.Same);
        const std::optional<std::string> patched = Patch_Event(text, entry, Stamp, step.Alarm);
        ASSERT_TRUE(patched.has_value());
        EXPECT_EQ(*patched == text, step.Same);
        const test::Event_Lines after = test::Split_Event_Lines(*patched).value();
        EXPECT_EQ(after.Others, original.Others);
        std::vector<std::string> ours;
        for (const std::string& raw : after.Alarms) {
            ours.push_back(Unfolded(raw));
        }
        EXPECT_EQ(ours, step.Ours);
        const Event_Entry read = Read_Event_Entry(*patched);
        EXPECT_EQ(Read_Entry_Attributes(read.Entry).Own_Lead, step.Lead);
        EXPECT_EQ(read.Foreign_Alarm, foreign_alarm);
        EXPECT_EQ(Patch_Event(*patched, entry, Later, step.Alarm), *patched);
        EXPECT_TRUE(Carries_Own_Alarms(*patched, entry, step.Alarm));
        text = *patched;
    }
}

std::string Event_With(const std::string& lines);

// Ours follow the lead and the default alarm step by step. The phone's two
// alarms (a DATE-TIME at 17:00, not a whole day, and -P1D) are others', and
// its -P1D gives the lead; the default alarm is never read as a lead.
TEST(Event_Patch, OurAlarmsFollowTheLeadAndTheSettingWhileOthersAlarmsStay) {
    const auto alarm = [](const std::string& trigger, const std::string& description,
                          const std::string& mark) {
        return std::vector<std::string>{"BEGIN:VALARM",
                                        "ACTION:DISPLAY",
                                        "TRIGGER:" + trigger,
                                        "DESCRIPTION:" + description,
                                        "X-TESSALY-ALARM:" + mark,
                                        "END:VALARM"};
    };
    const auto lead = [&](const char* trigger) { return alarm(trigger, "Ann's Birthday", "lead"); };
    const std::string phone(test::Phone_Event);
    ASSERT_EQ(Read_Entry_Attributes(Read_Event_Entry(phone).Entry).Own_Lead, 1);
    using Kind = Default_Alarm::Kind;
    const Default_Alarm none;
    const Default_Alarm on_the_day{Kind::On_The_Day, 0};
    Expect_Alarm_Steps(
        phone, true,
        {
            {"the phone's alarm rings at the lead: none of ours", 1, on_the_day, {}, true},
            {"a longer lead adds ours at 09:00", 30, none, lead("-P29DT15H")},
            {"the same lead changes nothing", 30, {Kind::Days_Before, 3}, lead("-P29DT15H"), true},
            {"a shorter lead replaces ours", 2, none, lead("-P1DT15H")},
            {"a lead of one day is the phone's again", 1, none, {}},
            // No default beside the phone's alarm.
            {"no lead declines the phone's", std::nullopt, on_the_day, {"X-TESSALY-NO-LEAD:1"}},
            {"declined stays declined", std::nullopt, none, {"X-TESSALY-NO-LEAD:1"}, true},
            {"a lead again lifts the mark", 7, none, lead("-P6DT15H")},
        });

    const auto fallback = [&](const char* trigger) {
        return alarm(trigger, "Jo's Wedding", "default");
    };
    Expect_Alarm_Steps(
        Event_With("DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n"
                   "SUMMARY:Jo's Wedding\nX-TESSALY-NAME:Jo\n"
                   "X-TESSALY-EVENT-TYPE:Wedding\n"),
        false,
        {
            {"on the day", std::nullopt, on_the_day, fallback("PT9H")},
            {"a day before", std::nullopt, {Kind::Days_Before, 1}, fallback("-PT15H")},
            {"a year before", std::nullopt, {Kind::Days_Before, 365}, fallback("-P364DT15H")},
            {"none", std::nullopt, none, {}},
        });
}

// A calendar of another program with these lines in its VEVENT.
std::string Event_With(const std::string& lines) {
    std::string text = "BEGIN:VCALENDAR\nPRODID:-//Other//EN\nBEGIN:VEVENT\nUID:v\n" + lines +
                       "END:VEVENT\nEND:VCALENDAR\n";
    std::string crlf;
    for (const char c : text) {
        crlf += c == '\n' ? "\r\n" : std::string(1, c);
    }
    return crlf;
}

// Alarms and marks that only look like ours: one patch settles them, and
// every later patch gives the event back to the byte (else every sync would
// send it again with a new stamp).
TEST(Event_Patch, LookAlikesOfOurAlarmsSettleAfterOnePatch) {
    const std::string plain =
        "DTSTAMP:20250101T000000Z\nDTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n"
        "SUMMARY:Jo's Wedding\nX-TESSALY-NAME:Jo\nX-TESSALY-EVENT-TYPE:Wedding\n";
    const auto alarm = [](const std::string& trigger, const std::string& extra) {
        return "BEGIN:VALARM\nACTION:DISPLAY\nTRIGGER" + trigger + "\nDESCRIPTION:Jo's Wedding\n" +
               extra + "END:VALARM\n";
    };
    const std::string mark = "X-TESSALY-ALARM:lead\n";
    const std::string ours = alarm(":-P1DT15H", mark);
    const std::optional<int> unset;
    const Default_Alarm none;
    const Default_Alarm on_the_day{Default_Alarm::Kind::On_The_Day, 0};
    struct Case {
        const char* What;
        std::string Lines;        // after the plain event's
        std::optional<int> Lead;  // the entry's, read before and after
        Default_Alarm Alarm;
        bool Same;           // the first patch gives the text back
        std::size_t Alarms;  // after the patch
        std::optional<int> Foreign_Lead;
        bool Foreign_Alarm;
    };
    const std::vector<Case> cases = {
        {"ours beside another's whose trigger does not parse",
         alarm(":DURATION-P1DT15H", "") + ours, 2, none, true, 2, unset, true},
        {"our mark on another's unreadable trigger: theirs, so no default beside it",
         alarm(":DURATION-P1DT15H", mark), unset, on_the_day, true, 1, unset, true},
        {"our mark on a time we never write: theirs, and their lead", alarm(":-P2D", mark), 2, none,
         true, 1, 2, true},
        {"ours written otherwise is written as we write it", alarm(":-PT39H", mark), 2, none, false,
         1, unset, false},
        {"a mark in a component inside the alarm is not the alarm's",
         alarm(":-P1DT15H", "BEGIN:X-PART\n" + mark + "END:X-PART\n"), 2, none, true, 1, 2, true},
        {"a mark of another value", alarm(":-P1DT15H", "X-TESSALY-ALARM:leads\n"), 2, none, true, 1,
         2, true},
        {"a mark with parameters", alarm(":-P1DT15H", "X-TESSALY-ALARM;X-A=b:lead\n"), 2, none,
         true, 1, 2, true},
        {"a mark twice in one alarm", alarm(":-P1DT15H", mark + mark), 2, none, true, 1, 2, true},
        {"two alarms of ours become one", ours + ours, 2, none, false, 1, unset, false},
        {"ours with the default parameters is written as we write it",
         alarm(";VALUE=DURATION:-P1DT15H", mark), 2, none, false, 1, unset, false},
        {"an empty declined lead declines nothing", "X-TESSALY-NO-LEAD:\n", unset, none, true, 0,
         unset, false},
        {"a declined lead without another's alarm goes", "X-TESSALY-NO-LEAD:2\n", unset, none,
         false, 0, unset, false},
        {"a second declined lead goes",
         "X-TESSALY-NO-LEAD:2\nX-TESSALY-NO-LEAD:2\n" + alarm(":-P1DT15H", ""), unset, none, false,
         1, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        const std::string event = Event_With(plain + c.Lines);
        TName_And_Event_Data entry = Entry_Of({"Jo", 1980, 6, 1, "Wedding", ""});
        ASSERT_TRUE(Write_Entry_Attributes(entry, {false, c.Lead}));
        const Event_Entry read = Read_Event_Entry(event);
        ASSERT_EQ(read.Reading, Event_Reading::Taken);
        EXPECT_EQ(Read_Entry_Attributes(read.Entry).Own_Lead, c.Lead);
        const std::optional<std::string> patched = Patch_Event(event, entry, Stamp, c.Alarm);
        ASSERT_TRUE(patched.has_value());
        EXPECT_EQ(*patched == event, c.Same) << *patched;
        EXPECT_EQ(patched->find("DTSTAMP:20250101T000000Z") != std::string::npos, c.Same);
        std::size_t alarms = 0;
        for (std::size_t at = 0; (at = patched->find("BEGIN:VALARM", at)) != std::string::npos;
             ++at) {
            ++alarms;
        }
        EXPECT_EQ(alarms, c.Alarms) << *patched;
        const Event_Entry after = Read_Event_Entry(*patched);
        EXPECT_EQ(Read_Entry_Attributes(after.Entry).Own_Lead, c.Lead);
        EXPECT_EQ(after.Foreign_Lead, c.Foreign_Lead);
        EXPECT_EQ(after.Foreign_Alarm, c.Foreign_Alarm);
        EXPECT_EQ(Patch_Event(*patched, entry, Later, c.Alarm), *patched);
        EXPECT_TRUE(Carries_Own_Alarms(*patched, entry, c.Alarm));
    }
}

TEST(Event_Patch, OnlyWhatChangedIsRewrittenAndStamped) {
    const std::string plain =
        "DTSTAMP:20250101T000000Z\nDTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n"
        "SUMMARY:Jo's Wedding\n";
    const std::string ours = "X-TESSALY-NAME:Jo\nX-TESSALY-EVENT-TYPE:Wedding\n";
    const std::string stamped = "DTSTAMP:20261209T170000Z\n";
    const std::string moved = "DTSTART;VALUE=DATE:19800715\nRRULE:FREQ=YEARLY\n";
    const std::string summary = "SUMMARY:Jo's Wedding\n";
    const std::string alarm = "BEGIN:VALARM\nACTION:DISPLAY\nDESCRIPTION:Soon\nEND:VALARM\n";
    const std::string long_comment(90, 'x');
    struct Case {
        const char* What;
        std::string Before;
        test::Entry Entry;
        std::string After;
    };
    const std::vector<Case> cases = {
        {"nothing changed",
         plain + "DTEND;VALUE=DATE:19800602\n",
         {"Jo", 1980, 6, 1, "Wedding", ""},
         plain + "DTEND;VALUE=DATE:19800602\n"},
        {"an all-day end moves with the start; the missing SEQUENCE is now 1",
         plain + "DTEND;VALUE=DATE:19800602\n",
         {"Jo", 1980, 7, 15, "Wedding", ""},
         stamped + moved + summary + "DTEND;VALUE=DATE:19800716\n" + ours + "SEQUENCE:1\n"},
        {"a time zone and a date without VALUE become a DATE",
         "DTSTAMP:20250101T000000Z\nDTSTART;TZID=Europe/Berlin;VALUE=DATE;X-A=\"b:c\":19800601\n"
         "RRULE:FREQ=YEARLY\nSUMMARY:Jo's Wedding\nDTEND;TZID=Europe/Berlin:19800602\n" +
             ours,
         {"Jo", 1980, 7, 15, "Wedding", ""},
         stamped + "DTSTART;VALUE=DATE;X-A=\"b:c\":19800715\nRRULE:FREQ=YEARLY\n" + summary +
             "DTEND;VALUE=DATE:19800716\n" + ours + "SEQUENCE:1\n"},
        {"a one-day DURATION stays",
         plain + "DURATION:P1D\nSEQUENCE:7\n" + ours,
         {"Jo", 1980, 7, 15, "Wedding", ""},
         stamped + moved + summary + "DURATION:P1D\nSEQUENCE:8\n" + ours},
        {"a text edit raises SEQUENCE and LAST-MODIFIED but adds no SEQUENCE",
         plain + "LAST-MODIFIED:20250101T000000Z\nDESCRIPTION:old\n" + ours,
         {"Jo", 1980, 6, 1, "Wedding", "new"},
         stamped + "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n" + summary +
             "LAST-MODIFIED:20261209T170000Z\nDESCRIPTION:new\n" + ours},
        {"a rewritten description loses its ALTREP and keeps its language",
         plain + "DESCRIPTION;ALTREP=\"cid:part1@example.org\";LANGUAGE=de:alt\n" + ours,
         {"Jo", 1980, 6, 1, "Wedding", "neu, besser"},
         stamped + "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n" + summary +
             "DESCRIPTION;LANGUAGE=de:neu\\, besser\n" + ours},
        {"an unchanged title keeps its ALTREP and spelling",
         "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\nsummary;ALTREP=\"cid:x\":Jo's Wedding\n" +
             ours + alarm,
         {"Jo", 1980, 6, 1, "Wedding", "hi"},
         "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\nsummary;ALTREP=\"cid:x\":Jo's Wedding\n" +
             ours + stamped + "DESCRIPTION:hi\n" + alarm},
        {"a new comment goes before the alarms, folded",
         plain + alarm,
         {"Jo", 1980, 6, 1, "Wedding", long_comment},
         stamped + "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n" + summary + "DESCRIPTION:" +
             long_comment.substr(0, 63) + "\n " + long_comment.substr(63) + "\n" + ours + alarm},
        {"an empty comment removes the description",
         plain + "DESCRIPTION;LANGUAGE=en:old\n" + ours + alarm,
         {"Jo", 1980, 6, 1, "Wedding", ""},
         stamped + "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n" + summary + ours + alarm},
        {"ours, left behind by a title edited elsewhere, follow the next edit",
         plain + "X-TESSALY-NAME:Joe\nX-TESSALY-EVENT-TYPE:Wedding\n",
         {"Jo", 1980, 6, 1, "Wedding", "x"},
         stamped + "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n" + summary + ours +
             "DESCRIPTION:x\n"},
        {"a title is added where there was none",
         "DTSTAMP:20250101T000000Z\nDTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n",
         {"Jo", 1980, 6, 1, "Wedding", ""},
         stamped + "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n" + summary + ours},
        {"the leap day falls on the last of February",
         plain + "DTEND;VALUE=DATE:19800602\n",
         {"Jo", 2000, 2, 29, "Wedding", ""},
         stamped + "DTSTART;VALUE=DATE:20000229\nRRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1\n" +
             summary + "DTEND;VALUE=DATE:20000301\n" + ours + "SEQUENCE:1\n"},
        {"a rule of the old date goes; a rule that still holds stays",
         "DTSTART;VALUE=DATE:20000229\nRRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1\n"
         "SUMMARY:Jo's Wedding\n" +
             ours,
         {"Jo", 2000, 3, 1, "Wedding", ""},
         "DTSTART;VALUE=DATE:20000301\nRRULE:FREQ=YEARLY\n" + summary + ours + stamped +
             "SEQUENCE:1\n"},
        {"no DTEND past the last day",
         plain + "DTEND;VALUE=DATE:19800602\nSEQUENCE:x\n",
         {"Jo", 9999, 12, 31, "Wedding", ""},
         stamped + "DTSTART;VALUE=DATE:99991231\nRRULE:FREQ=YEARLY\n" + summary + "SEQUENCE:1\n" +
             ours},
        {"the largest SEQUENCE stays",
         plain + "SEQUENCE:2147483647\n" + ours,
         {"Jo", 1980, 6, 1, "Wedding", "x"},
         stamped + "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n" + summary +
             "SEQUENCE:2147483647\n" + ours + "DESCRIPTION:x\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        const TName_And_Event_Data entry = Entry_Of(c.Entry);
        const std::optional<std::string> patched = Patch_Event(Event_With(c.Before), entry, Stamp);
        ASSERT_TRUE(patched.has_value());
        EXPECT_EQ(*patched, Event_With(c.After));
        Expect_Reads_As(*patched, entry, "v");
    }
}

TEST(Event_Patch, LineEndsAndBlankLinesOfTheTextStay) {
    // As an XML reply gives an event back: LF only, and a blank line.
    const std::string lf =
        "BEGIN:VCALENDAR\nBEGIN:VEVENT\nUID:u\nDTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n"
        "SUMMARY:Jo's Wed\n ding\n\nX-OTHER:a\r\n  b\nEND:VEVENT\nEND:VCALENDAR";
    const TName_And_Event_Data entry = Entry_Of({"Jo", 1980, 6, 1, "Wedding", "c"});
    EXPECT_EQ(Patch_Event(lf, Read_Event_Entry(lf).Entry, Stamp), lf);
    EXPECT_EQ(Patch_Event(lf, entry, Stamp),
              "BEGIN:VCALENDAR\nBEGIN:VEVENT\nUID:u\nDTSTART;VALUE=DATE:19800601\n"
              "RRULE:FREQ=YEARLY\nSUMMARY:Jo's Wed\n ding\n\nX-OTHER:a\r\n  b\n"
              "DTSTAMP:20261209T170000Z\nDESCRIPTION:c\nX-TESSALY-NAME:Jo\n"
              "X-TESSALY-EVENT-TYPE:Wedding\nEND:VEVENT\nEND:VCALENDAR");
}

TEST(Event_Patch, WhatTheListCannotHoldGivesNone) {
    const TName_And_Event_Data entry = Entry_Of({"Jo", 1980, 6, 1, "Wedding", ""});
    for (const std::string& text : std::vector<std::string>{
             "", "no colon here\n", Event_With("DTSTART:19800601T100000Z\nRRULE:FREQ=YEARLY\n"),
             Event_With("DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=WEEKLY\n"),
             Event_With("DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\nDTEND:19800603\n")}) {
        EXPECT_EQ(Patch_Event(text, entry, Stamp), std::nullopt) << text;
    }
    // An entry whose date no event can hold.
    TName_And_Event_Data far = entry;
    far.Orig_Date = 1e9;
    EXPECT_EQ(
        Patch_Event(Event_With("DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n"), far, Stamp),
        std::nullopt);
}

}  // namespace
}  // namespace tessaly
