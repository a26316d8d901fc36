#include "core/field_limits.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaly {
namespace {

using namespace std::string_literals;

TEST(Storable_Text, LineBreaksBecomeLfAndBytesTheFileCannotHoldBecomeBlanks) {
    Field_Repairs repairs;
    EXPECT_EQ(Storable_Text("a\r\nb\rc\nd", repairs), "a\nb\nc\nd");
    EXPECT_FALSE(repairs.Any());  // a line break is kept, only written differently

    EXPECT_EQ(Storable_Text("Da\0ve\x1a\0"s, repairs), "Da ve  ");
    EXPECT_EQ(Storable_Text("\0"s, repairs), " ");
    EXPECT_EQ(repairs.Blanked, 2);  // counted by field, not by byte
    EXPECT_EQ(repairs.Shortened, 0);

    const std::string kept = "Zoë \xe9\xff\x7f\t🎂";
    EXPECT_EQ(Storable_Text(kept, repairs), kept);
    EXPECT_EQ(repairs.Blanked, 2);
}

TEST(Storable_Text, LongTextIsCutAtTheLimitWithoutSplittingACharacter) {
    Field_Repairs repairs;
    EXPECT_EQ(Storable_Text(std::string(Longest_Field, 'x'), repairs).size(), Longest_Field);
    EXPECT_FALSE(repairs.Any());

    // A four-byte character across the limit goes whole.
    const std::string utf8 = std::string(Longest_Field - 2, 'x') + "🎂" + "tail";
    EXPECT_EQ(Storable_Text(utf8, repairs), std::string(Longest_Field - 2, 'x'));
    // Text from Windows has one byte a character: cut exactly at the limit.
    const std::string windows = std::string(Longest_Field - 2, '\xe9') + "\xf0\x9f\x8e\x82";
    EXPECT_EQ(Storable_Text(windows, repairs).size(), Longest_Field);
    EXPECT_EQ(repairs.Shortened, 2);

    // Line breaks count as they are stored: CR LF is one byte.
    std::string crlf;
    for (std::size_t i = 0; i < Longest_Field / 2; ++i) {
        crlf += "a\r\n";
    }
    EXPECT_EQ(Storable_Text(crlf, repairs).size(), Longest_Field);
    EXPECT_EQ(repairs.Shortened, 2);
}

}  // namespace
}  // namespace tessaly
