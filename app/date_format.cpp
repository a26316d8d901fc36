#include "app/date_format.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/dates.h"

namespace tessaly {

namespace {

// One conversion a pattern may hold.
struct Date_Conversion {
    char Letter;
    // Not passed to strftime as written: the Windows C runtime lacks it.
    bool Own = false;
    // Takes '-', or the Windows runtime's '#', to drop the leading zero or
    // space; formatted here too, as glibc and Windows disagree on both flags.
    bool Unpadded = false;
};

// Every conversion a pattern may hold: those strftime formats alike on Linux
// and Windows, and those formatted here. Any other is refused, as Linux would
// print it literally and Windows drop it or stop the program.
constexpr std::array Date_Conversions = {
    Date_Conversion{'a'},
    Date_Conversion{'A'},
    Date_Conversion{'b'},
    Date_Conversion{'B'},
    Date_Conversion{'d', false, true},
    Date_Conversion{'D', true},  // %m/%d/%y
    Date_Conversion{'e', true, true},
    Date_Conversion{'F', true},  // %Y-%m-%d
    Date_Conversion{'j', false, true},
    Date_Conversion{'m', false, true},
    Date_Conversion{'u', true},
    Date_Conversion{'U'},
    Date_Conversion{'w'},
    Date_Conversion{'W'},
    Date_Conversion{'x'},
    Date_Conversion{'y', false, true},
    Date_Conversion{'Y'},
    Date_Conversion{'%'},
};

// Conversions of a time of day or zone: the report's dates have neither.
constexpr std::string_view Time_Conversion_Letters = "cHIklMpPrRsSTXzZ";

const Date_Conversion* Find_Date_Conversion(char letter) {
    const auto* found =
        std::find_if(Date_Conversions.begin(), Date_Conversions.end(),
                     [letter](const Date_Conversion& c) { return c.Letter == letter; });
    return found != Date_Conversions.end() ? found : nullptr;
}

// A piece of a pattern: text for strftime, or a conversion
// formatted here.
struct Date_Format_Piece {
    std::string Strftime_Text;
    char Own_Letter = 0;
    bool Unpadded = false;
};

bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}

// Splits a pattern into its pieces; throws Date_Format_Error for a conversion
// it does not take.
std::vector<Date_Format_Piece> Parse_Date_Format(const std::string& pattern) {
    std::vector<Date_Format_Piece> pieces(1);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            pieces.back().Strftime_Text += pattern[i];
            continue;
        }
        // The conversion as written, with any flags, width and modifier, so
        // that the message shows all of it.
        const std::size_t start = i++;
        const std::size_t flags = i;
        while (i < pattern.size() &&
               std::string_view("-_0^#").find(pattern[i]) != std::string_view::npos) {
            ++i;
        }
        const std::size_t width = i;
        while (i < pattern.size() &&
               (Is_Digit(pattern[i]) || pattern[i] == 'E' || pattern[i] == 'O')) {
            ++i;
        }
        if (i >= pattern.size()) {
            if (start + 1 == pattern.size()) {
                throw Date_Format_Error("a lone '%' ends it; write %% for a percent sign");
            }
            throw Date_Format_Error("unknown conversion '" + pattern.substr(start) + "'");
        }
        const char letter = pattern[i];
        // A letter outside ASCII is shown whole, not as half a UTF-8 sequence.
        std::size_t end = i + 1;
        while (static_cast<unsigned char>(letter) >= 0x80 && end < pattern.size() &&
               (static_cast<unsigned char>(pattern[end]) & 0xC0) == 0x80) {
            ++end;
        }
        const std::string written = pattern.substr(start, end - start);
        const Date_Conversion* conversion = Find_Date_Conversion(letter);
        const bool unpadded =
            width - flags == 1 && (pattern[flags] == '-' || pattern[flags] == '#');
        if (conversion == nullptr &&
            Time_Conversion_Letters.find(letter) != std::string_view::npos) {
            throw Date_Format_Error("'" + written +
                                    "' is a time conversion, and the report's dates have no time");
        }
        if (conversion == nullptr || i != width ||
            (width != flags && !(unpadded && conversion->Unpadded))) {
            throw Date_Format_Error("unknown conversion '" + written + "'");
        }
        if (letter == 'D') {
            pieces.back().Strftime_Text += "%m/%d/%y";
        } else if (letter == 'F') {
            pieces.back().Strftime_Text += "%Y-%m-%d";
        } else if (conversion->Own || unpadded) {
            pieces.push_back({"", letter, unpadded});
            pieces.emplace_back();
        } else {
            pieces.back().Strftime_Text += "%";
            pieces.back().Strftime_Text += letter;
        }
    }
    return pieces;
}

// The text of a conversion formatted here: digits and spaces only, so that it
// passes through strftime unchanged.
std::string Own_Conversion_Text(char letter, bool unpadded, const Civil_Date& date) {
    const auto padded = [unpadded](int value, char pad) {
        std::string text = std::to_string(value);
        return unpadded || text.size() > 1 ? text : pad + text;
    };
    const std::int32_t number = Day_Number_Of(date.Year, date.Month, date.Day);
    switch (letter) {
        case 'd':
            return padded(date.Day, '0');
        case 'e':
            return padded(date.Day, ' ');
        case 'm':
            return padded(date.Month, '0');
        case 'y':
            return padded(date.Year % 100, '0');
        case 'j':
            return std::to_string(number - Day_Number_Of(date.Year, 1, 1) + 1);
        default: {
            // 'u': Monday 1 to Sunday 7; day 0 was a Saturday.
            const int from_monday = static_cast<int>(((number % 7) + 7 + 5) % 7);
            return std::to_string(from_monday + 1);
        }
    }
}

}  // namespace

std::string Date_Format_Conversions() {
    std::string list;
    for (const Date_Conversion& conversion : Date_Conversions) {
        list += list.empty() ? "%" : " %";
        list += conversion.Letter;
    }
    return list;
}

Short_Date_Formatter Make_Date_Format_Formatter(const std::string& pattern) {
    std::vector<Date_Format_Piece> pieces = Parse_Date_Format(pattern);
    if (pieces.size() == 1) {
        return Make_Strftime_Formatter(std::move(pieces.front().Strftime_Text));
    }
    return [pieces = std::move(pieces)](const Civil_Date& date) {
        std::string expanded;
        for (const Date_Format_Piece& piece : pieces) {
            expanded += piece.Own_Letter != 0
                            ? Own_Conversion_Text(piece.Own_Letter, piece.Unpadded, date)
                            : piece.Strftime_Text;
        }
        return Make_Strftime_Formatter(std::move(expanded))(date);
    };
}

}  // namespace tessaly
