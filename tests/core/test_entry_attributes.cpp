#include <gtest/gtest.h>

#include <string>

#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/event_list.h"

namespace tessaly {
namespace {

using Items = std::vector<std::pair<std::string, std::string>>;

TEST(Entry_Attributes, OurFieldsParseAndGiveBackTheirExactText) {
    const struct {
        const char* text;
        Items items;
    } ours[] = {
        {"[Tessaly/1]", {}},
        {"[Tessaly/1]year=unknown;lead=30", {{"year", "unknown"}, {"lead", "30"}}},
        // Unknown keys and values, an escaped value, "=" inside a value,
        // bytes above 127 and repeated keys are all kept as written.
        {"[Tessaly/1]uid=a%3Bb=c;lead=abc;x-9=\xC3\xA9;lead=",
         {{"uid", "a%3Bb=c"}, {"lead", "abc"}, {"x-9", "\xC3\xA9"}, {"lead", ""}}},
    };
    for (const auto& example : ours) {
        SCOPED_TRACE(example.text);
        const auto field = Parse_Attribute_Field(example.text);
        ASSERT_TRUE(field);
        EXPECT_EQ(field->Items, example.items);
        EXPECT_EQ(Encode_Attribute_Field(*field), example.text);
    }
}

TEST(Entry_Attributes, AnythingElseIsNotOurs) {
    for (const std::string& text : std::vector<std::string>{
             "", "hello", "Tessaly/1]lead=3", "[tessaly/1]lead=3", "[Tessaly/2]lead=3",
             "[Tessaly/10]lead=3", " [Tessaly/1]lead=3", "[Tessaly/1]lead", "[Tessaly/1]lead=3;",
             "[Tessaly/1];lead=3", "[Tessaly/1]Lead=3", "[Tessaly/1]=3", "[Tessaly/1]le ad=3",
             "[Tessaly/1]x=%4", "[Tessaly/1]x=%3b", "[Tessaly/1]x=%zz", "[Tessaly/1]x=a\tb",
             "[Tessaly/1]x=a\nb", std::string("[Tessaly/1]x=a\0b", 16)}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(Parse_Attribute_Field(text));
    }
}

TEST(Entry_Attributes, EveryByteSurvivesEscaping) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    const std::string escaped = Escape_Attribute_Value(all);
    EXPECT_EQ(escaped.find(';'), std::string::npos);
    EXPECT_EQ(Unescape_Attribute_Value(escaped), all);
    EXPECT_TRUE(Parse_Attribute_Field("[Tessaly/1]uid=" + escaped));
    EXPECT_EQ(Escape_Attribute_Value("50%;\r\n"), "50%25%3B%0D%0A");
}

TEST(Entry_Attributes, ReadTakesTheFirstFieldOfOursAndOnlyValuesItKnows) {
    TName_And_Event_Data entry;
    entry.Orig_Date = Year_Unknown_Date(4, 14);
    entry.Spare_1 = "written by another program";
    entry.Spare_2 = "[Tessaly/2]year=unknown";
    entry.Spare_3 = "[Tessaly/1]year=unknown;lead=30";
    entry.Spare_4 = "[Tessaly/1]lead=5";
    EXPECT_EQ(Read_Entry_Attributes(entry), (Entry_Attributes{true, 30}));

    for (const char* lead : {"0", "366", "030", "+3", "3 ", "abc", ""}) {
        SCOPED_TRACE(lead);
        entry.Spare_3 = std::string("[Tessaly/1]lead=") + lead;
        EXPECT_EQ(Read_Entry_Attributes(entry), Entry_Attributes{});
    }
    entry.Spare_3 = "[Tessaly/1]lead=365;year=later";
    EXPECT_EQ(Read_Entry_Attributes(entry), (Entry_Attributes{false, 365}));
}

TEST(Entry_Attributes, YearUnknownHoldsOnlyWhileTheDateKeepsThePlaceholderYear) {
    TName_And_Event_Data entry;
    entry.Spare_1 = "[Tessaly/1]year=unknown";
    entry.Orig_Date = Year_Unknown_Date(2, 29);
    EXPECT_TRUE(Read_Entry_Attributes(entry).Year_Unknown);
    // An older version's user gave the entry a year.
    entry.Orig_Date = Encode_Date(1990, 4, 14);
    EXPECT_FALSE(Read_Entry_Attributes(entry).Year_Unknown);
    entry.Orig_Date = 1e300;
    EXPECT_FALSE(Read_Entry_Attributes(entry).Year_Unknown);
}

TEST(Entry_Attributes, WriteUsesOurFieldOrTheFirstEmptyOneAndKeepsWhatItDoesNotKnow) {
    TName_And_Event_Data entry;
    entry.Orig_Date = Year_Unknown_Date(4, 14);
    entry.Spare_1 = "someone else's";
    ASSERT_TRUE(Write_Entry_Attributes(entry, {true, 30}));
    EXPECT_EQ(entry.Spare_1, "someone else's");
    EXPECT_EQ(entry.Spare_2, "[Tessaly/1]year=unknown;lead=30");
    EXPECT_EQ(Read_Entry_Attributes(entry), (Entry_Attributes{true, 30}));

    // A later version's attributes and values stay, in their place; a
    // repeated key of ours is written once.
    entry.Spare_2.clear();
    entry.Spare_4 = "[Tessaly/1]uid=x%3By;lead=3;year=later;lead=4";
    ASSERT_TRUE(Write_Entry_Attributes(entry, {false, 12}));
    EXPECT_EQ(entry.Spare_2, "");
    EXPECT_EQ(entry.Spare_4, "[Tessaly/1]uid=x%3By;lead=12;year=later");
    ASSERT_TRUE(Write_Entry_Attributes(entry, {}));
    EXPECT_EQ(entry.Spare_4, "[Tessaly/1]uid=x%3By;year=later");

    // With nothing left the field is empty again, as in files of older versions.
    entry.Spare_4 = "[Tessaly/1]lead=12;year=unknown";
    ASSERT_TRUE(Write_Entry_Attributes(entry, {}));
    EXPECT_EQ(entry.Spare_4, "");

    // Attributes that read as wanted already leave the fields as they are.
    entry.Spare_1 = "[Tessaly/1]";
    entry.Spare_2 = "[Tessaly/1]lead=3;lead=4";
    ASSERT_TRUE(Write_Entry_Attributes(entry, {}));
    EXPECT_EQ(entry.Spare_1, "[Tessaly/1]");
    EXPECT_EQ(entry.Spare_2, "[Tessaly/1]lead=3;lead=4");
}

TEST(Entry_Attributes, AnEntryWithoutRoomIsLeftUnchanged) {
    TName_And_Event_Data entry;
    entry.Spare_1 = entry.Spare_2 = entry.Spare_3 = "a";
    entry.Spare_4 = "[Tessaly/2]lead=3";
    const TName_And_Event_Data before = entry;
    EXPECT_FALSE(Write_Entry_Attributes(entry, {false, 3}));
    EXPECT_EQ(entry, before);
    // Storing nothing needs no room.
    EXPECT_TRUE(Write_Entry_Attributes(entry, {}));
    EXPECT_EQ(entry, before);
}

TEST(Entry_Attributes, TheUidLivesBesideTheOtherAttributesAndSurvivesTheirEdits) {
    TName_And_Event_Data entry;
    entry.Orig_Date = Year_Unknown_Date(2, 29);
    entry.Spare_1 = "someone else's";
    EXPECT_FALSE(Read_Entry_Uid(entry));
    ASSERT_TRUE(Write_Entry_Uid(entry, "a;b%c@tessaly"));
    EXPECT_EQ(entry.Spare_2, "[Tessaly/1]uid=a%3Bb%25c@tessaly");
    EXPECT_EQ(Read_Entry_Uid(entry), "a;b%c@tessaly");

    // The window writes the attributes it shows; the UID stays.
    ASSERT_TRUE(Write_Entry_Attributes(entry, {true, 30}));
    ASSERT_TRUE(Write_Entry_Attributes(entry, {}));
    EXPECT_EQ(Read_Entry_Uid(entry), "a;b%c@tessaly");
    ASSERT_TRUE(Write_Entry_Attributes(entry, {true, 7}));
    ASSERT_TRUE(Write_Entry_Uid(entry, "new"));
    EXPECT_EQ(entry.Spare_2, "[Tessaly/1]uid=new;year=unknown;lead=7");
    EXPECT_EQ(Read_Entry_Attributes(entry), (Entry_Attributes{true, 7}));

    ASSERT_TRUE(Write_Entry_Uid(entry, ""));
    EXPECT_EQ(entry.Spare_2, "[Tessaly/1]year=unknown;lead=7");
    ASSERT_TRUE(Write_Entry_Attributes(entry, {}));
    EXPECT_EQ(entry.Spare_2, "");

    // No room: nothing changes.
    entry.Spare_2 = entry.Spare_3 = entry.Spare_4 = "x";
    const TName_And_Event_Data before = entry;
    EXPECT_FALSE(Write_Entry_Uid(entry, "u"));
    EXPECT_EQ(entry, before);
    // A later version's field is not ours to read.
    entry.Spare_4 = "[Tessaly/2]uid=u";
    EXPECT_FALSE(Read_Entry_Uid(entry));
}

TEST(Entry_Attributes, AContactSourceIsThreeAttributesBesideTheOthers) {
    TName_And_Event_Data entry;
    entry.Spare_1 = "someone else's";
    ASSERT_TRUE(Write_Entry_Attributes(entry, {false, 7}));
    const Contact_Source source{"https://h/books/a;b/", "uid%1", "date-2"};
    ASSERT_TRUE(Write_Contact_Source(entry, source));
    EXPECT_EQ(entry.Spare_2,
              "[Tessaly/1]lead=7;book=https://h/books/a%3Bb/;contact=uid%251;contact-date=date-2");
    EXPECT_EQ(Read_Contact_Source(entry), source);
    ASSERT_TRUE(Write_Entry_Attributes(entry, {}));
    EXPECT_EQ(Read_Contact_Source(entry), source);

    // A source with a part missing is none.
    TName_And_Event_Data partial;
    partial.Spare_1 = "[Tessaly/1]book=b;contact=c";
    EXPECT_FALSE(Read_Contact_Source(partial));
    partial.Spare_1 = "[Tessaly/1]book=b;contact=;contact-date=bday";
    EXPECT_FALSE(Read_Contact_Source(partial));

    ASSERT_TRUE(Write_Contact_Source(entry, std::nullopt));
    EXPECT_EQ(entry.Spare_2, "");
    EXPECT_FALSE(Read_Contact_Source(entry));
}

}  // namespace
}  // namespace tessaly
