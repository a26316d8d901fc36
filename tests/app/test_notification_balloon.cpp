#include "app/notification_balloon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly {
namespace {

const std::string Ellipsis = "\xE2\x80\xA6";
const std::string Clef = "\xF0\x9D\x84\x9E";  // U+1D11E: two UTF-16 units

Coming_Events_Notification Notification_Of(std::vector<std::string> entry_lines, int entries) {
    Coming_Events_Notification notification;
    notification.Lines = std::move(entry_lines);
    notification.Entries = entries;
    if (entries > static_cast<int>(notification.Lines.size())) {
        notification.Lines.push_back("and " + std::to_string(entries - notification.Lines.size()) +
                                     " more");
    }
    return notification;
}

std::string Line(int number, std::size_t length) {
    std::string line = std::to_string(number) + ".  ";
    line.resize(length, 'x');
    return line;
}

TEST(Notification_Balloon, CutsAtACharacterWithinTheUnitsAndCountsWhatIsLeftOut) {
    struct Case {
        const char* Name;
        Coming_Events_Notification Notification;
        std::string Expected;
    };
    const std::vector<Case> cases = {
        {"all fit", Notification_Of({"1.  Ann", "2.  Bob"}, 2), "1.  Ann\n2.  Bob"},
        {"nothing due", Notification_Of({}, 0), ""},
        // 100 + 1 + 100 + 1 + 100 is past 255: the third goes into the count.
        {"whole lines only", Notification_Of({Line(1, 100), Line(2, 100), Line(3, 100)}, 3),
         Line(1, 100) + "\n" + Line(2, 100) + "\nand 1 more"},
        {"the tool's count grows by the lines dropped",
         Notification_Of({Line(1, 125), Line(2, 125), Line(3, 5)}, 14),
         Line(1, 125) + "\nand 13 more"},
        {"exactly 255 units", Notification_Of({Line(1, 127), Line(2, 127)}, 2),
         Line(1, 127) + "\n" + Line(2, 127)},
        {"one line too long for the count beside it", Notification_Of({Line(1, 300)}, 3),
         Line(1, 254 - 11) + Ellipsis + "\nand 2 more"},
        {"a lone line too long", Notification_Of({Line(1, 300)}, 1), Line(1, 254) + Ellipsis},
        // 127 clefs take 254 units, "…" the last.
        {"a character past U+FFFF is never split",
         Notification_Of({[] {
                             std::string line;
                             for (int i = 0; i < 200; ++i)
                                 line += Clef;
                             return line;
                         }()},
                         1),
         [] {
             std::string line;
             for (int i = 0; i < 127; ++i)
                 line += Clef;
             return line + Ellipsis;
         }()},
    };
    for (const Case& test_case : cases) {
        SCOPED_TRACE(test_case.Name);
        const Balloon_Text balloon = Make_Balloon_Text(test_case.Notification);
        EXPECT_EQ(balloon.Text, test_case.Expected);
        EXPECT_LE(Utf16_Units(balloon.Text), Balloon_Text_Units);
        EXPECT_EQ(balloon.Title, Notification_Summary);
    }
}

TEST(Notification_Balloon, CutTextIsValidAndNeverLongerThanAsked) {
    // Two-, three- and four-byte characters and a stray continuation byte.
    const std::string text = "a\xC3\xA9\xE2\x82\xAC" + Clef + "\x80z" + Clef + Clef;
    const std::size_t whole = Utf16_Units(text);
    EXPECT_EQ(whole, 11u);
    for (std::size_t units = 0; units <= whole + 1; ++units) {
        const std::string cut = Cut_To_Units(text, units);
        SCOPED_TRACE(units);
        EXPECT_LE(Utf16_Units(cut), units);
        if (units >= whole) {
            EXPECT_EQ(cut, text);
        } else if (units > 0) {
            ASSERT_GE(cut.size(), Ellipsis.size());
            EXPECT_EQ(cut.substr(cut.size() - Ellipsis.size()), Ellipsis);
            EXPECT_EQ(
                text.compare(0, cut.size() - Ellipsis.size(), cut, 0, cut.size() - Ellipsis.size()),
                0);
            // Never one unit short of the limit by splitting a pair.
            EXPECT_GE(Utf16_Units(cut) + 1, units);
        }
    }
}

}  // namespace
}  // namespace tessaly
