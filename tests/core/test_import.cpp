#include <gtest/gtest.h>

#include <string_view>

#include "core/dates.h"
#include "core/errors.h"
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
    EXPECT_EQ(Split_Sibling_Lines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(Split_Sibling_Lines("a\r\n"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(Split_Sibling_Lines("a\r\n\r\n\r\n"), (std::vector<std::string>{"a", "", ""}));
    EXPECT_EQ(Split_Sibling_Lines("a\n\rb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(Split_Sibling_Lines("").empty());
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
