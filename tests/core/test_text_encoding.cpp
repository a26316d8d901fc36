#include <gtest/gtest.h>

#include "core/text_encoding.h"

namespace tessaly {
namespace {

TEST(TextEncoding, ValidUtf8IsShownAsItIs) {
    for (const char* text :
         {"", "plain", "Ren\xC3\xA9\x65", "\xE2\x82\xAC 5", "\xF0\x9F\x8E\x82"}) {
        EXPECT_TRUE(Is_Valid_UTF8(text)) << text;
        EXPECT_EQ(To_Display_UTF8(text), text);
    }
}

TEST(TextEncoding, InvalidSequencesAreRecognised) {
    const char* const invalid[] = {
        "\xE9",                  // a lone Latin-1 byte
        "\xC3",                  // cut short
        "\xE2\x82",              // cut short
        "\xC0\xAF",              // overlong
        "\xED\xA0\x80",          // surrogate
        "\xF4\x90\x80\x80",      // past U+10FFFF
        "\x80",                  // continuation without a lead
        "\xF8\x88\x80\x80\x80",  // five-byte form
    };
    for (const char* text : invalid) {
        EXPECT_FALSE(Is_Valid_UTF8(text)) << testing::PrintToString(std::string(text));
    }
}

TEST(TextEncoding, OtherTextIsReadAsWindows1252) {
    EXPECT_EQ(To_Display_UTF8("Ren\xE9"), "Ren\xC3\xA9");
    EXPECT_EQ(To_Display_UTF8("\x80 5"), "\xE2\x82\xAC 5");
    EXPECT_EQ(To_Display_UTF8("\x93quoted\x94"), "\xE2\x80\x9Cquoted\xE2\x80\x9D");
    EXPECT_EQ(To_Display_UTF8("\x9F\xFF"), "\xC5\xB8\xC3\xBF");
    // Codes Windows-1252 leaves undefined become the C1 control of that number.
    EXPECT_EQ(To_Display_UTF8("\x81"), "\xC2\x81");
    // Once a text is not UTF-8 every byte is converted, including ones that
    // happened to form a valid sequence.
    EXPECT_EQ(To_Display_UTF8("\xC3\xA9\xE9"), "\xC3\x83\xC2\xA9\xC3\xA9");
}

TEST(TextEncoding, TrimmingRemovesOnlyTheGivenBytesAtTheEnds) {
    EXPECT_EQ(Trimmed(" \t Ann  Lee\t "), "Ann  Lee");
    EXPECT_EQ(Trimmed(" \t \t"), "");
    EXPECT_EQ(Trimmed(""), "");
    EXPECT_EQ(Trimmed("x"), "x");
    // A CR is kept unless asked for: the settings file trims it, the data file does not.
    EXPECT_EQ(Trimmed(" 12\r"), "12\r");
    EXPECT_EQ(Trimmed(" 12\r", " \t\r"), "12");
    // Bytes above 127 (the start of a UTF-8 letter, the no-break space) are text.
    EXPECT_EQ(Trimmed("\xA0\xC3\x85se "), "\xA0\xC3\x85se");
}

TEST(TextEncoding, DecimalValueTakesOnlyAShortRunOfDigits) {
    EXPECT_EQ(Decimal_Value("0", 1), 0);
    EXPECT_EQ(Decimal_Value("0042", 4), 42);
    EXPECT_EQ(Decimal_Value("19960415", 8), 19960415);
    EXPECT_EQ(Decimal_Value("12345", 4), std::nullopt);
    EXPECT_EQ(Decimal_Value("", 4), std::nullopt);
    EXPECT_EQ(Decimal_Value("1 2", 4), std::nullopt);
    EXPECT_EQ(Decimal_Value("-1", 4), std::nullopt);
    EXPECT_EQ(Decimal_Value("+1", 4), std::nullopt);
    EXPECT_EQ(Decimal_Value("\xD9\xA1", 4), std::nullopt);  // an Arabic-Indic one
}

}  // namespace
}  // namespace tessaly
