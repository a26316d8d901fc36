#include "report/report_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dates.h"
#include "core/event_list.h"
#include "core/sorting.h"
#include "report/report_render.h"
#include "test_support/report_text.h"

namespace tessaly {
namespace {

const Day_Number Today = Encode_Date(2026, 12, 7);  // a Monday

Short_Date_Formatter Day_Month_Year() {
    return Make_Strftime_Formatter("%d/%m/%Y");
}

// An entry with its derived fields set as the refresh would for Today.
TName_And_Event_Data Entry(std::string name, int age, std::string event_type, int days_left) {
    TName_And_Event_Data entry;
    entry.Name = std::move(name);
    entry.Age_Next = age;
    entry.Event_Type = std::move(event_type);
    entry.Days_Left = days_left;
    entry.Next_Event = Today + days_left;
    return entry;
}

Event_List List_Of(const std::vector<TName_And_Event_Data>& entries) {
    Event_List list;
    for (const auto& entry : entries) {
        list.Append() = entry;
    }
    return list;
}

Report_Document Build(const Event_List& list, int threshold,
                      const std::string& web_address = "https://tessaly.example.org") {
    Report_Inputs inputs;
    inputs.List = &list;
    inputs.Threshold = threshold;
    inputs.Today = Today;
    inputs.Short_Date = Day_Month_Year();
    inputs.Web_Address = web_address;
    return Build_Coming_Events_Report(inputs);
}

// The heading and footer take 11 + 6 paragraphs around the entry lines.
constexpr std::size_t First_Entry_Paragraph = 11;
constexpr std::size_t Non_Entry_Paragraphs = 17;

std::vector<std::string> Entry_Lines(const Report_Document& document) {
    std::vector<std::string> lines;
    for (std::size_t i = First_Entry_Paragraph; i + 6 < document.Paragraphs.size(); ++i) {
        lines.push_back(document.Paragraphs[i].Plain_Text());
    }
    return lines;
}

struct Entry_Line_Case {
    int Position;
    TName_And_Event_Data Data;
    std::string Expected;
};

void PrintTo(const Entry_Line_Case& c, std::ostream* os) {
    *os << testing::PrintToString(c.Expected);
}

class Report_Entry_Line_Test : public testing::TestWithParam<Entry_Line_Case> {};

TEST_P(Report_Entry_Line_Test, ComposesTheLine) {
    const Entry_Line_Case& c = GetParam();
    EXPECT_EQ(Report_Entry_Line(c.Position, c.Data, Day_Month_Year()), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Report_Entry_Line_Test,
    testing::Values(
        Entry_Line_Case{1, Entry("Nora Vale", 40, "Birthday", 0),
                        "    1.  Nora Vale's 40th Birthday today (Mon, 07/12/2026)"},
        Entry_Line_Case{2, Entry("Hal and Ivy", 25, "Wedding Anniversary", 12),
                        "    2.  Hal and Ivy's 25th Wedding Anniversary in 12 days (Sat, "
                        "19/12/2026)"},
        Entry_Line_Case{3, Entry("Nora Vale", 41, "Birthday", 1),
                        "    3.  Nora Vale's 41st Birthday tomorrow (Tue, 08/12/2026)"},
        // An empty event type leaves two spaces; an empty name starts with "'s".
        Entry_Line_Case{3, Entry("", 30, "", 2), "    3.  's 30th  in 2 days (Wed, 09/12/2026)"},
        Entry_Line_Case{12, Entry("Mo", 13, "Reunion", 3),
                        "   12.  Mo's 13th Reunion in 3 days (Thu, 10/12/2026)"},
        Entry_Line_Case{500, Entry("Mo", 22, "Reunion", 3),
                        "  500.  Mo's 22nd Reunion in 3 days (Thu, 10/12/2026)"},
        // Past the field width the number is written whole.
        Entry_Line_Case{12345, Entry("Mo", 0, "Reunion", 3),
                        " 12345.  Mo's 0th Reunion in 3 days (Thu, 10/12/2026)"},
        // Files written on Windows hold Windows-1252 bytes.
        Entry_Line_Case{1, Entry("Zo\xEB", 7, "F\xEAte", 0),
                        "    1.  Zo\xC3\xAB's 7th F\xC3\xAAte today (Mon, 07/12/2026)"}));

TEST(Report_Builder, WritesHeadingAndFooterLineByLine) {
    const Event_List list = List_Of({Entry("Nora Vale", 40, "Birthday", 0),
                                     Entry("Hal and Ivy", 25, "Wedding Anniversary", 12)});
    const Report_Document document = Build(list, 14);

    EXPECT_EQ(document.Plain_Text(),
              test::Report_Heading(14, "Mon, 07/12/2026") +
                  "    1.  Nora Vale's 40th Birthday today (Mon, 07/12/2026)\n"
                  "    2.  Hal and Ivy's 25th Wedding Anniversary in 12 days (Sat, 19/12/2026)\n"
                  "\n"
                  " 2 events found and reported.\n"
                  "\n"
                  " Report courtesy of:  Tessaly v1.0f\n"
                  "                      https://tessaly.example.org\n");
    EXPECT_EQ(document.Events_Found, 2);
    EXPECT_EQ(document.Paragraphs.size(), Non_Entry_Paragraphs + 2);
}

TEST(Report_Builder, FormatsHeadingCentredAndFooterAddressBold) {
    const Event_List list = List_Of({Entry("Nora Vale", 40, "Birthday", 0)});
    const Report_Document document = Build(list, 14, "www.example.net");
    const auto& paragraphs = document.Paragraphs;

    const Char_Format regular;
    Char_Format heading;
    heading.Bold = true;
    heading.Underline = true;
    heading.Point_Size = 18;
    Char_Format bold;
    bold.Bold = true;

    EXPECT_TRUE(paragraphs[0].Runs.empty());
    EXPECT_EQ(paragraphs[0].Mark_Format, regular);
    EXPECT_EQ(paragraphs[0].Alignment, Paragraph_Alignment::Left);

    ASSERT_EQ(paragraphs[1].Runs.size(), 1u);
    EXPECT_EQ(paragraphs[1].Runs[0].Format, heading);
    EXPECT_EQ(paragraphs[1].Alignment, Paragraph_Alignment::Centre);

    // Back to regular, 10 points, left from line 3 on.
    for (std::size_t i = 2; i + 2 < paragraphs.size(); ++i) {
        EXPECT_EQ(paragraphs[i].Alignment, Paragraph_Alignment::Left) << "paragraph " << i;
        for (const Text_Run& run : paragraphs[i].Runs) {
            EXPECT_EQ(run.Format.Point_Size, 10) << "paragraph " << i;
            EXPECT_FALSE(run.Format.Underline) << "paragraph " << i;
            if (i != First_Entry_Paragraph) {
                EXPECT_EQ(run.Format, regular) << "paragraph " << i;
            }
        }
    }

    const Report_Paragraph& address = paragraphs[paragraphs.size() - 2];
    ASSERT_EQ(address.Runs.size(), 1u);
    EXPECT_EQ(address.Runs[0].Text, std::string(22, ' ') + "www.example.net");
    EXPECT_EQ(address.Runs[0].Format, bold);

    // The bold is not taken back: the last, empty paragraph carries it.
    const Report_Paragraph& last = paragraphs.back();
    EXPECT_TRUE(last.Runs.empty());
    EXPECT_EQ(last.Mark_Format, bold);
}

TEST(Report_Builder, EmptyWebAddressLeavesTheIndentAlone) {
    const Event_List list = List_Of({Entry("Nora Vale", 40, "Birthday", 0)});
    const Report_Document document = Build(list, 14, "");
    EXPECT_EQ(document.Paragraphs[document.Paragraphs.size() - 2].Plain_Text(),
              std::string(22, ' '));
}

struct Threshold_Case {
    int Threshold;
    int Days_Left;
    bool Reported;
};

void PrintTo(const Threshold_Case& c, std::ostream* os) {
    *os << "threshold " << c.Threshold << ", days left " << c.Days_Left;
}

class Report_Threshold_Test : public testing::TestWithParam<Threshold_Case> {};

TEST_P(Report_Threshold_Test, ReportsDaysLeftUpToTheThresholdInclusive) {
    const Threshold_Case& c = GetParam();
    const Event_List list = List_Of({Entry("Mo", 10, "Birthday", c.Days_Left)});
    const Report_Document document = Build(list, c.Threshold);
    EXPECT_EQ(document.Events_Found, c.Reported ? 1 : 0);
    EXPECT_EQ(Entry_Lines(document).size(), c.Reported ? 1u : 0u);
    EXPECT_NE(document.Plain_Text().find("occuring in the next " + std::to_string(c.Threshold) +
                                         " days."),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, Report_Threshold_Test,
                         testing::Values(Threshold_Case{1, 0, true}, Threshold_Case{1, 1, true},
                                         Threshold_Case{1, 2, false}, Threshold_Case{14, 14, true},
                                         Threshold_Case{14, 15, false},
                                         Threshold_Case{100, 100, true},
                                         Threshold_Case{100, 101, false},
                                         // Signed: a negative count is below any threshold.
                                         Threshold_Case{1, -1, true}));

TEST(Report_Builder, CountLineKeepsItsWordingForNoneAndOne) {
    const Event_List none = List_Of({Entry("A", 1, "Birthday", 20)});
    EXPECT_NE(Build(none, 14).Plain_Text().find("\n 0 events found and reported.\n"),
              std::string::npos);
    const Event_List one = List_Of({Entry("A", 1, "Birthday", 2)});
    EXPECT_NE(Build(one, 14).Plain_Text().find("\n 1 events found and reported.\n"),
              std::string::npos);
}

TEST(Report_Builder, OrderIsNearestFirstWithTiesInTheUsersSort) {
    Event_List list = List_Of({Entry("Cy", 1, "T", 9), Entry("Ann", 1, "T", 3),
                               Entry("Bo", 1, "T", 9), Entry("Di", 1, "T", 0)});
    const auto names = [&list] {
        std::vector<std::string> out;
        for (const TName_And_Event_Data& entry : list.Entries()) {
            out.push_back(entry.Name);
        }
        return out;
    };

    Order_For_Report(list, Sort_By_Name, Sort_Descending);
    EXPECT_EQ(names(), (std::vector<std::string>{"Di", "Ann", "Cy", "Bo"}));
    Order_For_Report(list, Sort_By_Name, Sort_Ascending);
    EXPECT_EQ(names(), (std::vector<std::string>{"Di", "Ann", "Bo", "Cy"}));
    // No user sort: ties keep the list's order.
    list = List_Of({Entry("Cy", 1, "T", 9), Entry("Bo", 1, "T", 9), Entry("Ann", 1, "T", 3)});
    Order_For_Report(list, -1, -1);
    EXPECT_EQ(names(), (std::vector<std::string>{"Ann", "Cy", "Bo"}));
}

TEST(Report_Builder, AYearLessEntryHasNoAgeAndKeepsTheNameHighlighted) {
    TName_And_Event_Data ann = Entry("Ann", 0, "Birthday", 3);
    ann.Year_Unknown = true;
    TName_And_Event_Data today = Entry("Bo", 0, "Birthday", 0);
    today.Year_Unknown = true;
    const Report_Document document = Build(List_Of({today, ann}), 14);
    ASSERT_EQ(document.Events_Found, 2);
    EXPECT_EQ(Entry_Lines(document),
              (std::vector<std::string>{"    1.  Bo's Birthday today (Mon, 07/12/2026)",
                                        "    2.  Ann's Birthday in 3 days (Thu, 10/12/2026)"}));
    Char_Format highlight;
    highlight.Bold = true;
    highlight.Colour = 0x0000FF;
    EXPECT_EQ(document.Paragraphs[First_Entry_Paragraph + 1].Runs,
              (std::vector<Text_Run>{{"    2.  ", Char_Format{}},
                                     {"Ann's ", highlight},
                                     {"Birthday in 3 days (Thu, 10/12/2026)", Char_Format{}}}));
}

// The lines are numbered 1, 2, 3 ... although an entry listed for its own
// lead follows nearer entries that are not listed.
TEST(Report_Builder, AnEntrysOwnLeadReplacesTheTimeFrameForItAlone) {
    TName_And_Event_Data wedding = Entry("Hal and Ivy", 25, "Wedding Anniversary", 30);
    wedding.Own_Lead = 30;
    TName_And_Event_Data colleague = Entry("Cy", 40, "Birthday", 5);
    colleague.Own_Lead = 3;
    TName_And_Event_Data far = Entry("Di", 50, "Birthday", 31);
    far.Own_Lead = 30;
    const Event_List list = List_Of(
        {Entry("Al", 20, "Birthday", 2), colleague, Entry("Bo", 30, "Birthday", 14), wedding, far});
    const Report_Document document = Build(list, 14);
    EXPECT_EQ(document.Events_Found, 3);
    EXPECT_EQ(Entry_Lines(document),
              (std::vector<std::string>{
                  "    1.  Al's 20th Birthday in 2 days (Wed, 09/12/2026)",
                  "    2.  Bo's 30th Birthday in 14 days (Mon, 21/12/2026)",
                  "    3.  Hal and Ivy's 25th Wedding Anniversary in 30 days (Wed, 06/01/2027)"}));
    // The heading and count lines keep their texts.
    const std::string text = document.Plain_Text();
    EXPECT_NE(text.find("occuring in the next 14 days."), std::string::npos);
    EXPECT_NE(text.find("\n 3 events found and reported.\n"), std::string::npos);
}

TEST(Report_Builder, NoListReadsAsEmpty) {
    Report_Inputs inputs;
    inputs.Today = Today;
    inputs.Short_Date = Day_Month_Year();
    const Report_Document document = Build_Coming_Events_Report(inputs);
    EXPECT_EQ(document.Events_Found, 0);
    EXPECT_EQ(document.Paragraphs.size(), Non_Entry_Paragraphs);
}

struct Highlight_Case {
    const char* Label;
    int Position;  // the line's number: the entries before it are listed too
    TName_And_Event_Data Data;
    std::string Before;
    std::string Highlighted;
    std::string After;
};

void PrintTo(const Highlight_Case& c, std::ostream* os) {
    *os << c.Label;
}

class Report_Highlight_Test : public testing::TestWithParam<Highlight_Case> {};

TEST_P(Report_Highlight_Test, MarksFirstOccurrenceOfNamePlusThreeCharacters) {
    const Highlight_Case& c = GetParam();
    std::vector<TName_And_Event_Data> entries(static_cast<std::size_t>(c.Position - 1),
                                              Entry("near", 1, "Birthday", 0));
    entries.push_back(c.Data);
    const Report_Document document = Build(List_Of(entries), 14);
    ASSERT_EQ(document.Events_Found, c.Position);
    const Report_Paragraph& line =
        document.Paragraphs[First_Entry_Paragraph + static_cast<std::size_t>(c.Position) - 1];

    Char_Format highlight;
    highlight.Bold = true;
    highlight.Colour = 0x0000FF;
    std::vector<Text_Run> expected;
    if (!c.Before.empty()) {
        expected.push_back({c.Before, Char_Format{}});
    }
    expected.push_back({c.Highlighted, highlight});
    expected.push_back({c.After, Char_Format{}});
    EXPECT_EQ(line.Runs, expected);
    EXPECT_EQ(line.Plain_Text(), Report_Entry_Line(c.Position, c.Data, Day_Month_Year()));
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, Report_Highlight_Test,
    testing::Values(Highlight_Case{"Ordinary", 1, Entry("Nora Vale", 40, "Birthday", 0), "    1.  ",
                                   "Nora Vale's ", "40th Birthday today (Mon, 07/12/2026)"},
                    // "1" is found in the number before the name is reached.
                    Highlight_Case{"NameInNumber", 1, Entry("1", 40, "Birthday", 0), "    ", "1.  ",
                                   "1's 40th Birthday today (Mon, 07/12/2026)"},
                    // An empty name is found at the line start: three blanks are marked.
                    Highlight_Case{"EmptyName", 3, Entry("", 30, "Birthday", 2), "", "   ",
                                   " 3.  's 30th Birthday in 2 days (Wed, 09/12/2026)"},
                    // Three characters, not three bytes, follow a name ending in "ë".
                    Highlight_Case{"Utf8Name", 1, Entry("Zo\xC3\xAB", 7, "F\xC3\xAAte", 0),
                                   "    1.  ", "Zo\xC3\xAB's ",
                                   "7th F\xC3\xAAte today (Mon, 07/12/2026)"},
                    // The name is searched for as shown, after conversion.
                    Highlight_Case{"Windows1252Name", 2, Entry("Ren\xE9", 7, "Birthday", 0),
                                   "    2.  ", "Ren\xC3\xA9's ",
                                   "7th Birthday today (Mon, 07/12/2026)"},
                    Highlight_Case{"CaseSensitive", 1, Entry("s", 7, "Birthday", 0), "    1.  ",
                                   "s's ", "7th Birthday today (Mon, 07/12/2026)"}),
    [](const testing::TestParamInfo<Highlight_Case>& param) { return param.param.Label; });

TEST(Report_Render, PlainEndsEveryParagraphWithNewline) {
    const Event_List list = List_Of({Entry("Nora Vale", 40, "Birthday", 0)});
    const Report_Document document = Build(list, 14);
    EXPECT_EQ(Render_Plain(document), document.Plain_Text() + "\n");
}

// A data file can hold any byte; none of them may reach the terminal as a
// command or break the line.
TEST(Report_Render, ControlCharactersInEntryTextsAreShownAsQuestionMarks) {
    const Event_List list =
        List_Of({Entry("Ev\x1b]0;owned\x07il", 3, "Bir\nth\x7F\tday", 0),
                 // Windows-1252 0x81 is undefined and converts to the C1 control U+0081.
                 Entry("C1\x81", 4,
                       "\xC2\x9B"
                       "2J",
                       1)});
    const Report_Document document = Build(list, 14);
    const std::string plain = Render_Plain(document);
    EXPECT_NE(plain.find("    1.  Ev?]0;owned?il's 3rd Bir th?\tday today (Mon, 07/12/2026)\n"),
              std::string::npos)
        << plain;
    EXPECT_NE(plain.find("    2.  C1?'s 4th ?2J tomorrow (Tue, 08/12/2026)\n"), std::string::npos)
        << plain;

    const std::string ansi = Render_Ansi(document);
    EXPECT_NE(ansi.find("\x1b[1;34mEv?]0;owned?il's \x1b[0m3rd Bir th?\tday"), std::string::npos)
        << ansi;
    EXPECT_EQ(ansi.find("\x1b]"), std::string::npos);
    EXPECT_EQ(ansi.find("\xC2\x9B"), std::string::npos);
}

TEST(Report_Render, AnsiWrapsFormattedRunsOnly) {
    const Event_List list = List_Of({Entry("Nora Vale", 40, "Birthday", 0)});
    const std::string ansi = Render_Ansi(Build(list, 14, "web"));
    EXPECT_EQ(ansi,
              "\n"
              "\x1b[1;4mComing Birthdays and Events Report.\x1b[0m\n" +
                  test::Report_Heading_Lines(14, "Mon, 07/12/2026") +
                  "    1.  \x1b[1;34mNora Vale's \x1b[0m40th Birthday today (Mon, 07/12/2026)\n"
                  "\n"
                  " 1 events found and reported.\n"
                  "\n"
                  " Report courtesy of:  Tessaly v1.0f\n"
                  "\x1b[1m                      web\x1b[0m\n"
                  "\n");
}

}  // namespace
}  // namespace tessaly
