#include "core/short_date.h"

#include <array>
#include <ctime>

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

}  // namespace tessaly
