#include "app/console_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace tessaly {
namespace {

// The UTF-16 text as hex code units, for readable failures.
std::string Units(const std::u16string& text) {
    std::string units;
    for (const char16_t unit : text) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04X ", static_cast<unsigned>(unit));
        units += hex;
    }
    return units;
}

std::u16string Whole(std::string_view bytes) {
    Utf8_To_Utf16 converter;
    std::u16string text = converter.Convert(bytes);
    return text + converter.Finish();
}

TEST(Console_Output, Utf8BecomesUtf16WithEveryMalformedStartReplaced) {
    const struct {
        std::string bytes;
        std::u16string text;
    } rows[] = {
        {"Zo\xC3\xAB", u"Zo\u00EB"},
        {"\xE6\x97\xA5\xE6\x9C\xAC", u"\u65E5\u672C"},
        {"\xF0\x9F\x98\x80!", u"\U0001F600!"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"\xEF\xBB\xBF", u"\uFEFF"},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        // Unfinished at the end.
        {"Zo\xC3", u"Zo\uFFFD"},
        {"\xF0\x9F\x98", u"\uFFFD"},
        // A character cut short by the next one.
        {"\xE2\x82"
         "A",
         u"\uFFFDA"},
        {"\xC3\xC3\xAB", u"\uFFFD\u00EB"},
        // Overlong forms, surrogates, past U+10FFFF, bytes UTF-8 never has.
        {"\xC0\xAF", u"\uFFFD\uFFFD"},
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xFF\xFE\x80", u"\uFFFD\uFFFD\uFFFD"},
        // Windows-1252 text, as an older file might hold.
        {"Zo\xEB", u"Zo\uFFFD"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.bytes));
        EXPECT_EQ(Units(Whole(row.bytes)), Units(row.text));
    }
}

// However the writes split the bytes, the text is the same.
TEST(Console_Output, TextIsTheSameWhereverTheWritesSplitTheBytes) {
    const std::vector<std::string> texts = {
        "Zo\xC3\xAB \xC3\x84rger \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\x82 \x1B[1mbold\x1B[0m",
        "\xE2\x82\xAC\xE2\x82"
        "A\xC0\xAF\xF0\x9F\x98\xF4\x90\x80\x80\xED\xA0\x80\xC3",
    };
    for (const std::string& text : texts) {
        const std::u16string whole = Whole(text);
        for (std::size_t first = 0; first <= text.size(); ++first) {
            for (std::size_t second = first; second <= text.size(); ++second) {
                Utf8_To_Utf16 converter;
                std::u16string pieces = converter.Convert(text.substr(0, first));
                pieces += converter.Convert(text.substr(first, second - first));
                pieces += converter.Convert("");
                pieces += converter.Convert(text.substr(second));
                pieces += converter.Finish();
                ASSERT_EQ(Units(pieces), Units(whole)) << "split at " << first << ", " << second;
            }
        }
        // One byte a write.
        Utf8_To_Utf16 converter;
        std::u16string bytewise;
        for (const char byte : text) {
            bytewise += converter.Convert(std::string_view(&byte, 1));
        }
        bytewise += converter.Finish();
        EXPECT_EQ(Units(bytewise), Units(whole));
    }
}

TEST(Console_Output, OnlyATerminalOrAConsoleInVirtualTerminalModeTakesColour) {
    const struct {
        Output_Kind kind;
        bool virtual_terminal;
        bool colour;
    } rows[] = {
        {Output_Kind::Console, true, true},   {Output_Kind::Console, false, false},
        {Output_Kind::Terminal, false, true}, {Output_Kind::Terminal, true, true},
        {Output_Kind::Other, false, false},   {Output_Kind::Other, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.kind) * 2 + (row.virtual_terminal ? 1 : 0));
        EXPECT_EQ(Output_Takes_Colour(row.kind, row.virtual_terminal), row.colour);
    }
}

}  // namespace
}  // namespace tessaly
