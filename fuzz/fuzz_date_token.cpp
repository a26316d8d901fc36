// Date tokens and their written text. The input is read as a token; its first
// eight bytes also make a double for the writer alone, which reaches values
// (tiny fractions, days just short of midnight) that few tokens spell.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>

#include "core/data_file.h"
#include "core/dates.h"
#include "core/errors.h"
#include "fuzz/fuzz_check.h"

namespace tessaly::fuzz {
namespace {

bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}

// " d.ddddddddddddddE+dddd" or with "-" first: 23 characters.
bool Has_Written_Shape(const std::string& text) {
    if (text.size() != 23 || (text[0] != ' ' && text[0] != '-') || !Is_Digit(text[1]) ||
        text[2] != '.' || text[17] != 'E' || (text[18] != '+' && text[18] != '-')) {
        return false;
    }
    for (int i = 3; i < 17; ++i) {
        if (!Is_Digit(text[i])) {
            return false;
        }
    }
    for (int i = 19; i < 23; ++i) {
        if (!Is_Digit(text[i])) {
            return false;
        }
    }
    return true;
}

std::string Shown_Value(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

void Check_Written(double value) {
    if (!std::isfinite(value)) {
        return;
    }
    const std::string text = Format_Date_Text(value);
    if (!Has_Written_Shape(text)) {
        Fail("a date is written as 23 characters of the fixed shape",
             Shown_Value(value) + " written as " + Shown(text));
    }
    Check(text[0] == (value < 0 ? '-' : ' '), "the sign position shows the sign", text);
    Check((text[1] == '0') == (value == 0), "only zero is written with a leading 0", text);
    Check_Same(text, Format_Date_Text(value), "writing a date twice gives the same text");
    if (!Is_Day_Number_In_Range(value)) {
        return;
    }

    // The file's reader skips the blank before a token.
    const std::string token = text[0] == ' ' ? text.substr(1) : text;
    Day_Number back = 0;
    try {
        back = Parse_Date_Token(token);
    } catch (const std::exception& error) {
        Fail("a written date reads back", text + ": " + error.what());
    }
    if (std::trunc(back) != std::trunc(value)) {
        Fail("a written date reads back as the same day",
             Shown_Value(value) + " written as " + text + " reads back as " + Shown_Value(back));
    }
    // Fifteen significant digits: within one unit of the last, rounded or cut.
    if (std::fabs(value) >= DBL_MIN && std::fabs(back - value) > 1.000001e-14 * std::fabs(value)) {
        Fail("a written date keeps fifteen significant digits",
             Shown_Value(value) + " written as " + text);
    }
    Check_Same(text, Format_Date_Text(back), "a date read back is written as the same text");
}

}  // namespace
}  // namespace tessaly::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    using namespace tessaly::fuzz;
    const std::string_view token = Bytes_Of(data, size);
    bool accepted = false;
    Day_Number value = 0;
    try {
        value = Parse_Date_Token(token);
        accepted = true;
    } catch (const Convert_Error& error) {
        Check_Same("Invalid numeric input", error.what(), "a refused token gives the one message");
    }
    if (accepted) {
        if (!Is_Day_Number_In_Range(value)) {
            Fail("an accepted token is a finite day within years 1..9999",
                 Shown(token) + " read as " + Shown_Value(value));
        }
        Check_Written(value);
    }

    if (size >= sizeof(double)) {
        double raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        Check_Written(raw);
    }
    return 0;
}
