#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"
#include "core/errors.h"
#include "core/event_list.h"
#include "core/import.h"

namespace tessaly {
namespace {

using namespace std::string_view_literals;

TEST(Import, ExtractBetween) {
    struct Case {
        const char* Text;
        const char* Delimiter;
        const char* Expected;
    };
    const Case cases[] = {
        {"\"Tilda\",#1998-02-14#", "\"", "Tilda"},
        {"\"Tilda\",#1998-02-14#", "#", "1998-02-14"},
        {"only \"one quote", "\"", "one quote"},
        {"no delimiter", "#", ""},
        {"", "#", ""},
        {"text", "", ""},
        {"##", "#", ""},
        {"a<>b<>c", "<>", "b"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Extract_Between(c.Text, c.Delimiter), c.Expected) << c.Text;
    }
}

TEST(Import, NthField) {
    EXPECT_EQ(Nth_Field(1, "-", "1998-02-14"), "1998");
    EXPECT_EQ(Nth_Field(2, "-", "1998-02-14"), "02");
    EXPECT_EQ(Nth_Field(3, "-", "1998-02-14"), "14");
    EXPECT_EQ(Nth_Field(4, "-", "1998-02-14"), "");
    EXPECT_EQ(Nth_Field(0, "-", "1998-02-14"), "");
    EXPECT_EQ(Nth_Field(1, "", "1998-02-14"), "");
    EXPECT_EQ(Nth_Field(1, "-", ""), "");
    // Without the delimiter the first step keeps the whole text, later steps
    // empty it.
    EXPECT_EQ(Nth_Field(1, "-", "1998"), "1998");
    EXPECT_EQ(Nth_Field(2, "-", "1998"), "1998");
    EXPECT_EQ(Nth_Field(3, "-", "1998"), "");
    EXPECT_EQ(Nth_Field(2, "-", "1998-"), "");
    EXPECT_EQ(Nth_Field(3, "-", "a--c"), "c");
}

TEST(Import, SplitLines) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(Split_Sibling_Lines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(Split_Sibling_Lines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(Split_Sibling_Lines("a\r\n\r\n\r\n"), (Lines{"a", "", ""}));
    EXPECT_EQ(Split_Sibling_Lines("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_TRUE(Split_Sibling_Lines("").empty());

    // The held lines survive the move of the bytes into the holder, also
    // for content short enough to sit inside the string object itself.
    Import_Lines held;
    held.Assign("x\ny");
    EXPECT_EQ(held.Lines(), (Lines{"x", "y"}));
    held.Assign(std::string(100, 'z') + "\r\n\xe9");
    EXPECT_EQ(held.Lines(), (Lines{std::string_view(std::string(100, 'z')), "\xe9"}));
    held.Clear();
    EXPECT_EQ(held.Count(), 0u);
}

TEST(Import, AppendTakesWhatFitsAndVisitsTheRest) {
    Event_List list;
    for (int i = 0; i < 490; ++i) {
        list.Append().Name = "old";
    }
    std::vector<std::string> text;
    for (int i = 1; i <= 20; ++i) {
        text.push_back("\"N" + std::to_string(i) + "\",#2000-01-" + std::to_string(i) + "#");
    }
    // A bad line past the room is skipped unparsed, as the list is full.
    text.emplace_back("not a line of the file");
    const std::vector<std::string_view> lines(text.begin(), text.end());
    EXPECT_EQ(Append_Sibling_Lines(list, lines), 10);
    EXPECT_EQ(list.Event_Count(), Event_Array_Size);
    EXPECT_EQ(list.At(491).Name, "N1");
    EXPECT_EQ(list.At(500).Name, "N10");
    EXPECT_EQ(list.At(500).Orig_Date, Encode_Date(2000, 1, 10));
}

TEST(Import, NamesAreMadeStorableAndTheChangesCounted) {
    using namespace std::string_literals;
    const std::string nul_line = "\"Bo\0b\",#1991-6-2#"s;
    const std::string long_line = "\"" + std::string(Longest_Field + 1, 'n') + "\",#1991-6-3#";
    const std::vector<std::string_view> lines = {nul_line, long_line, "\"Plain\",#1991-6-4#"};
    Event_List list;
    Field_Repairs repairs;
    EXPECT_EQ(Append_Sibling_Lines(list, lines, repairs), 3);
    EXPECT_EQ(list.At(1).Name, "Bo b");
    EXPECT_EQ(list.At(2).Name, std::string(Longest_Field, 'n'));
    EXPECT_EQ(list.At(3).Name, "Plain");
    EXPECT_EQ(repairs.Blanked, 1);
    EXPECT_EQ(repairs.Shortened, 1);
}

TEST(Import, BadLineKeepsTheEntriesBeforeItAndAddsNothingItself) {
    Event_List list;
    const std::vector<std::string_view> lines = {"\"Ann\",#1990-05-01#", "\"Bob\",#1990-02-30#",
                                                 "\"Cy\",#1990-05-03#"};
    try {
        Append_Sibling_Lines(list, lines);
        ADD_FAILURE() << "the bad date was taken";
    } catch (const Sibling_Line_Error& error) {
        EXPECT_STREQ(error.what(), "Invalid argument to date encode");
        EXPECT_EQ(error.Line_Number(), 2u);
        EXPECT_EQ(error.Quoted_Line(), "'\"Bob\",#1990-02-30#'");
    }
    ASSERT_EQ(list.Event_Count(), 1);
    EXPECT_EQ(list.At(1).Name, "Ann");
    EXPECT_EQ(list.At(2).Name, "");
}

TEST(Import, LineBecomesABirthday) {
    const auto entry = Parse_Sibling_Line("\"Tilda Quenby\",#1998-02-14#");
    EXPECT_EQ(entry.Name, "Tilda Quenby");
    EXPECT_EQ(entry.Orig_Date, Encode_Date(1998, 2, 14));
    EXPECT_EQ(entry.Event_Type, "birthday");
    EXPECT_EQ(entry.Comments, "");
    // Leading zeros, field order and extra fields do not matter.
    EXPECT_EQ(Parse_Sibling_Line("#1998-2-14#,\"X\",more").Orig_Date, entry.Orig_Date);
    // No quotes: an entry with an empty name.
    EXPECT_EQ(Parse_Sibling_Line("#2001-01-01#").Name, "");
    // The name is taken as it stands, without unescaping.
    EXPECT_EQ(Parse_Sibling_Line("\"O\\'Neil\",#2001-01-01#").Name, "O\\'Neil");
}

TEST(Import, BadLinesStopWithTheConversionError) {
    const std::pair<std::string_view, const char*> cases[] = {
        {"", "'' is not a valid integer value"},
        {"\"No date\"", "'' is not a valid integer value"},
        {"\"A\",#1998-02#", "'' is not a valid integer value"},
        {"\"A\",#1998-x2-14#", "'x2' is not a valid integer value"},
        {"\"A\",# 1998-02-14#", "' 1998' is not a valid integer value"},
        {"\"Name #3\",#1998-02-14#", "'3\",' is not a valid integer value"},
        {"\"A\",#99999999999-02-14#", "'99999999999' is not a valid integer value"},
        {"\"A\",#1998-13-01#", "Invalid argument to date encode"},
        {"\"A\",#1998-04-31#", "Invalid argument to date encode"},
        {"\"A\",#1999-02-29#", "Invalid argument to date encode"},
        {"\"A\",#0-01-01#", "Invalid argument to date encode"},
        // What the message quotes is shown whole, invisible bytes written out.
        {"\"A\",#19\0 98-02-14#"sv, "'19\\x00 98' is not a valid integer value"},
        {"\"A\",#\xef\xbb\xbf"
         "1998\xc3\xa9-02-14#"sv,
         "'\\uFEFF1998\xc3\xa9' is not a valid integer value"},
        {"\"A\",#1998\xe9-02-14#"sv, "'1998\xc3\xa9' is not a valid integer value"},
    };
    for (const auto& [line, message] : cases) {
        try {
            Parse_Sibling_Line(line);
            ADD_FAILURE() << line;
        } catch (const Convert_Error& error) {
            EXPECT_STREQ(error.what(), message) << line;
        }
    }
}

}  // namespace
}  // namespace tessaly
