#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "core/entry_attributes.h"
#include "sync/event_resource.h"
#include "test_support/sample_entries.h"

namespace tessaly {
namespace {

using namespace std::chrono;

const sys_seconds Stamp = sys_days{year{2026} / December / 9} + hours{17};

TName_And_Event_Data Entry_Of(const test::Entry& entry) {
    return test::List_Of({entry}).At(1);
}

// An event as another calendar program writes it, with these lines in its VEVENT.
std::string Foreign_Event(const std::string& lines) {
    return "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Other//EN\nBEGIN:VEVENT\nUID:other-1\n"
           "DTSTAMP:20261201T100000Z\n" +
           lines + "END:VEVENT\nEND:VCALENDAR\n";
}

void Expect_Same_Entry(const TName_And_Event_Data& read, const TName_And_Event_Data& written) {
    EXPECT_EQ(read.Name, written.Name);
    EXPECT_EQ(read.Orig_Date, written.Orig_Date);
    EXPECT_EQ(read.Event_Type, written.Event_Type);
    EXPECT_EQ(read.Comments, written.Comments);
}

TEST(CalDAV_Event, EventUrlsNeedNoEscapingAndNeverShareAName) {
    EXPECT_EQ(Event_Url("http://h/c", "a-B_9"), "http://h/c/a-B_9.ics");
    const std::vector<std::string> uids = {"0123456789abcdef@tessaly",
                                           "0123456789abcdef_tessaly",
                                           "x/y z@\xC3\xA9",
                                           "x/y z@\xC3\xA8",
                                           "a.b",
                                           "a_b",
                                           ""};
    std::set<std::string> names;
    for (const auto& uid : uids) {
        const std::string url = Event_Url("http://h/c/", uid);
        const std::string name = url.substr(std::string("http://h/c/").size());
        EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                         "0123456789-_."),
                  std::string::npos)
            << url;
        EXPECT_TRUE(names.insert(name).second) << url;
    }
}

TEST(CalDAV_Event, EveryEntryComesBackAsItWasWritten) {
    const std::vector<test::Entry> entries = {
        {"Åsa Öberg-Ståhlberg " + std::string(40, 'x') + " 日本語🎂", 1984, 5, 17, "Birthday",
         "ü€ \"quoted\", semi; back\\slash colon: \tend\nsecond line\nthird"},
        {"Leap Lena", 2000, 2, 29, "Birthday", ""},
        // The title alone could not say where the name ends.
        {"Ann's mother", 1950, 7, 4, "Founder's Day", "x"},
        {"", 1970, 1, 1, "Wedding Anniversary", ""},
        {"New Year", 2027, 1, 1, "", ""},
    };
    for (const auto& sample : entries) {
        const TName_And_Event_Data entry = Entry_Of(sample);
        const std::string text = Entry_Event(entry, "uid-1@tessaly", Stamp);
        for (const std::string line : {"RRULE:FREQ=YEARLY", "DTSTART;VALUE=DATE:",
                                       "DTSTAMP:20261209T170000Z", "UID:uid-1@tessaly"}) {
            EXPECT_NE(text.find(line), std::string::npos) << line;
        }
        const Event_Entry read = Read_Event_Entry(text);
        ASSERT_EQ(read.Reading, Event_Reading::Taken) << text;
        EXPECT_EQ(read.Uid, "uid-1@tessaly");
        Expect_Same_Entry(read.Entry, entry);
        EXPECT_EQ(Entry_Event_Content(read.Entry), Entry_Event_Content(entry));
        // As an XML reply gives it back: LF line ends.
        std::string lf = text;
        for (std::size_t at; (at = lf.find("\r\n")) != std::string::npos;) {
            lf.erase(at, 1);
        }
        Expect_Same_Entry(Read_Event_Entry(lf).Entry, entry);
    }
}

TEST(CalDAV_Event, AYearLessEntryKeepsItsMarkAndTheLeapDayItsLastOfFebruary) {
    TName_And_Event_Data entry;
    entry.Name = "Bo";
    entry.Event_Type = "Birthday";
    entry.Orig_Date = Year_Unknown_Date(2, 29);
    ASSERT_TRUE(Write_Entry_Attributes(entry, {true, std::nullopt}));
    const std::string text = Entry_Event(entry, "u", Stamp);
    EXPECT_NE(text.find("DTSTART;VALUE=DATE:16040229\r\nRRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1"),
              std::string::npos);
    const Event_Entry read = Read_Event_Entry(text);
    ASSERT_EQ(read.Reading, Event_Reading::Taken);
    EXPECT_TRUE(Read_Entry_Attributes(read.Entry).Year_Unknown);
    EXPECT_EQ(Entry_Event_Content(read.Entry), Entry_Event_Content(entry));
}

TEST(CalDAV_Event, ATitleEditedInAnotherCalendarWins) {
    const TName_And_Event_Data entry = Entry_Of({"Ann", 1990, 3, 3, "Birthday", ""});
    std::string text = Entry_Event(entry, "u", Stamp);
    text.replace(text.find("SUMMARY:Ann's Birthday"), 22, "SUMMARY:Anna Maria's Birthday");
    EXPECT_EQ(Read_Event_Entry(text).Entry.Name, "Anna Maria");
    EXPECT_EQ(Read_Event_Entry(text).Entry.Event_Type, "Birthday");

    // Events of other programs: the title's last "'s " splits it, if any.
    const Event_Entry other = Read_Event_Entry(
        Foreign_Event("DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY;BYMONTH=6;BYMONTHDAY=1\n"
                      "DTEND;VALUE=DATE:19800602\nSUMMARY:Jo's Wedding\\, Anniversary\n"
                      "BEGIN:VALARM\nACTION:DISPLAY\nDESCRIPTION:ignored\nEND:VALARM\n"));
    ASSERT_EQ(other.Reading, Event_Reading::Taken);
    EXPECT_EQ(other.Uid, "other-1");
    EXPECT_EQ(other.Entry.Name, "Jo");
    EXPECT_EQ(other.Entry.Event_Type, "Wedding, Anniversary");
    EXPECT_EQ(other.Entry.Comments, "");
    const Event_Entry plain =
        Read_Event_Entry(Foreign_Event("DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n"
                                       "SUMMARY:Mum\nDESCRIPTION:line one\\nline two\n"));
    EXPECT_EQ(plain.Entry.Name, "Mum");
    EXPECT_EQ(plain.Entry.Event_Type, "");
    EXPECT_EQ(plain.Entry.Comments, "line one\nline two");
}

TEST(CalDAV_Event, OnlyPlainYearlyAllDayEventsAreTaken) {
    const std::vector<std::string> others = {
        "DTSTART:19800601T100000Z\nRRULE:FREQ=YEARLY\nSUMMARY:Meeting\n",
        "DTSTART;VALUE=DATE:19800601\nSUMMARY:Once\n",
        "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=WEEKLY\nSUMMARY:Weekly\n",
        "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY;INTERVAL=2\nSUMMARY:Every other\n",
        "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY;COUNT=3\nSUMMARY:Three times\n",
        "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY;BYMONTH=7\nSUMMARY:Other month\n",
        "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\nEXDATE;VALUE=DATE:19900601\n",
        "DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\nDTEND;VALUE=DATE:19800605\n",
    };
    for (const auto& lines : others) {
        EXPECT_EQ(Read_Event_Entry(Foreign_Event(lines)).Reading, Event_Reading::Not_Yearly_All_Day)
            << lines;
    }
    // An exception to one year comes as a second VEVENT of the same UID.
    const std::string with_override =
        Foreign_Event("DTSTART;VALUE=DATE:19800601\nRRULE:FREQ=YEARLY\n") +
        "BEGIN:VEVENT\nUID:other-1\nRECURRENCE-ID;VALUE=DATE:19900601\n"
        "DTSTART;VALUE=DATE:19900602\nEND:VEVENT\n";
    EXPECT_EQ(Read_Event_Entry(with_override).Reading, Event_Reading::Not_Yearly_All_Day);

    for (const std::string& broken : std::vector<std::string>{
             "", "BEGIN:VCALENDAR\nBEGIN:VEVENT\nUID:x\nDTSTART;VALUE=DATE:19800601\n",
             "no colon here\n", Foreign_Event("RRULE:FREQ=YEARLY\n")}) {
        EXPECT_EQ(Read_Event_Entry(broken).Reading, Event_Reading::Unreadable) << broken;
    }
}

}  // namespace
}  // namespace tessaly
