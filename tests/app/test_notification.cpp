#include "app/notification.h"

#include <gtest/gtest.h>

#include <string>

#include "core/dates.h"
#include "core/event_list.h"
#include "core/short_date.h"
#include "test_support/sample_entries.h"

namespace tessaly {
namespace {

const Day_Number Monday_7_December_2026 = Day_Number_Of(2026, 12, 7);

Coming_Events_Notification Notification_For(const std::vector<test::Entry>& entries) {
    Event_List list = test::List_Of(entries);
    Calc_Days_Left_ButtonClick(list, Monday_7_December_2026);
    return Make_Coming_Events_Notification(list, 14, Make_Strftime_Formatter("%d/%m/%Y"));
}

std::size_t Characters(const std::string& text) {
    std::size_t count = 0;
    for (const char byte : text) {
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

// A data file may hold any byte: none may add a line to the body (past the
// line limit) or reach the server as a terminal command. Line breaks read as
// spaces, as in the grid.
TEST(Coming_Events_Notification, ControlCharactersInNamesAndTypesAreShownAsQuestionMarks) {
    const Coming_Events_Notification notification = Notification_For(
        {{"Ann\n11.  Forged\r\nline", 1990, 12, 8, "Birth\x1b[2Jday\x07", ""},
         {"C1\xC2\x9B"
          "31m and\xE2\x80\xA8separator",
          2000, 12, 9, "Tab\tkept", ""},
         // Not UTF-8, so read as Windows-1252: 0x85 is "…", 0x81 the C1 control U+0081.
         {"Old\x85\x81", 1980, 12, 10, "Birthday", ""}});
    EXPECT_EQ(notification.Body(),
              "1.  Ann 11.  Forged line's 36th Birth?[2Jday? tomorrow (Tue, 08/12/2026)\n"
              "2.  C1?31m and separator's 26th Tab\tkept in 2 days (Wed, 09/12/2026)\n"
              "3.  Old\xE2\x80\xA6?'s 46th Birthday in 3 days (Thu, 10/12/2026)");
    EXPECT_EQ(notification.Lines.size(), 3u);
}

TEST(Coming_Events_Notification, FollowsEachEntrysLeadAndShowsNoAgeWithoutAYear) {
    Event_List list = test::List_Of({{"Ann", 1604, 12, 10, "Birthday", ""},
                                     {"Hal and Ivy", 2001, 1, 6, "Wedding Anniversary", ""},
                                     {"Cy", 1990, 12, 12, "Birthday", ""},
                                     {"Di", 1980, 12, 7, "Birthday", ""}});
    list.At(1).Spare_1 = "[Tessaly/1]year=unknown";
    list.At(2).Spare_1 = "[Tessaly/1]lead=30";
    list.At(3).Spare_1 = "[Tessaly/1]lead=3";
    list.At(4).Spare_1 = "[Tessaly/1]lead=1";
    Calc_Days_Left_ButtonClick(list, Monday_7_December_2026);
    const Coming_Events_Notification notification =
        Make_Coming_Events_Notification(list, 14, Make_Strftime_Formatter("%d/%m/%Y"));
    EXPECT_EQ(notification.Body(),
              "1.  Ann's Birthday in 3 days (Thu, 10/12/2026)\n"
              "2.  Hal and Ivy's 26th Wedding Anniversary in 30 days (Wed, 06/01/2027)\n"
              "3.  Di's 46th Birthday today (Mon, 07/12/2026)");
    EXPECT_EQ(notification.Urgency, Notification_Urgency::Critical);
}

TEST(Coming_Events_Notification, LongFieldsAreCutAtACharacterKeepingTheDate) {
    const std::string exact(Notification_Field_Length, 'n');
    std::string long_name;
    while (long_name.size() < 128 * 1024) {
        long_name += "\xC3\xA9";  // two bytes each, so a cut by bytes would split one
    }
    const Coming_Events_Notification notification = Notification_For(
        {{exact, 1990, 12, 8, "Birthday", ""}, {long_name, 1990, 12, 9, long_name + "x", ""}});
    ASSERT_EQ(notification.Lines.size(), 2u);
    EXPECT_EQ(notification.Lines[0],
              "1.  " + exact + "'s 36th Birthday tomorrow (Tue, 08/12/2026)");

    std::string cut;
    for (std::size_t i = 0; i + 1 < Notification_Field_Length; ++i) {
        cut += "\xC3\xA9";
    }
    cut += "\xE2\x80\xA6";
    EXPECT_EQ(notification.Lines[1],
              "2.  " + cut + "'s 36th " + cut + " in 2 days (Wed, 09/12/2026)");
    EXPECT_EQ(Characters(cut), Notification_Field_Length);
}

}  // namespace
}  // namespace tessaly
