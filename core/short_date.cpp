#include "core/short_date.h"

#include <array>
#include <cctype>
#include <ctime>
#include <string_view>
#include <utility>

#include "core/platform/regional_settings.h"

namespace tessaly {

Short_Date_Formatter Make_Strftime_Formatter(std::string pattern) {
    return [pattern = std::move(pattern)](const Civil_Date& date) {
        std::tm fields{};
        fields.tm_year = date.Year - 1900;
        fields.tm_mon = date.Month - 1;
        fields.tm_mday = date.Day;
        fields.tm_hour = 0;
        fields.tm_isdst = -1;
        // Weekday and day of the year for %a, %A, %j and the like.
        const Day_Number number = Day_Number_Of(date.Year, date.Month, date.Day);
        fields.tm_wday = static_cast<int>(
            ((static_cast<long long>(number) % 7 + 7 + 6) % 7));  // day 0 was a Saturday
        fields.tm_yday = static_cast<int>(number - Day_Number_Of(date.Year, 1, 1));
        std::array<char, 256> buffer{};
        const std::size_t length =
            std::strftime(buffer.data(), buffer.size(), pattern.c_str(), &fields);
        return std::string(buffer.data(), length);
    };
}

std::string Locale_Short_Date_Pattern() {
    std::string pattern = System_Short_Date_Pattern();
    if (pattern.empty()) {
        pattern = "%m/%d/%y";
    }
    for (std::size_t i = 0; i + 1 < pattern.size(); ++i) {
        if (pattern[i] == '%') {
            if (pattern[i + 1] == 'y') {
                pattern[i + 1] = 'Y';
            }
            ++i;  // the conversion character, so "%%y" stays as it is
        }
    }
    return pattern;
}

std::string Format_Short_Date(const Short_Date_Formatter& formatter, Day_Number date) {
    return formatter(Decode_Date(date));
}

namespace {

bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}

bool Is_Separator(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x80 && !Is_Digit(c) && !std::isalpha(byte);
}

}  // namespace

std::string Format_Short_Date_Without_Year(const Short_Date_Formatter& formatter, int month,
                                           int day) {
    // Two leap years 28 years apart fall on the same weekdays and differ in
    // every form of the year ("2004"/"2032", "04"/"32"), so the year is where
    // the two texts hold them at the same place.
    const std::string first = formatter({2004, month, day});
    const std::string second = formatter({2032, month, day});
    std::size_t start = std::string::npos;
    std::size_t end = 0;
    for (const auto& [one, other] : {std::pair{"2004", "2032"}, std::pair{"04", "32"}}) {
        const std::string_view year_one = one;
        for (std::size_t at = first.find(year_one);
             at != std::string::npos && start == std::string::npos;
             at = first.find(year_one, at + 1)) {
            if (second.compare(at, year_one.size(), other) == 0) {
                start = at;
                end = at + year_one.size();
            }
        }
        if (start != std::string::npos) {
            break;
        }
    }
    if (start == std::string::npos) {
        return first;  // the pattern shows no year, or not one we can find
    }
    // With it goes the separator that joined it to the rest: the one after
    // it, or the one before it when it ends the text.
    if (end < first.size()) {
        while (end < first.size() && Is_Separator(first[end])) {
            ++end;
        }
    } else {
        while (start > 0 && Is_Separator(first[start - 1])) {
            --start;
        }
    }
    return first.substr(0, start) + first.substr(end);
}

std::string Format_Entry_Date(const Short_Date_Formatter& formatter, Day_Number date,
                              bool year_unknown) {
    if (!year_unknown) {
        return Format_Short_Date(formatter, date);
    }
    const Civil_Date civil = Decode_Date(date);
    return Format_Short_Date_Without_Year(formatter, civil.Month, civil.Day);
}

}  // namespace tessaly
