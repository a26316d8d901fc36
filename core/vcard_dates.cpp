#include "core/vcard_dates.h"

#include "core/dates.h"

namespace tessaly {

namespace {

bool All_Digits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

int Number_Of(std::string_view digits) {
    int value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
    }
    return value;
}

// Month and day as "MMDD" or "MM-DD" (one-digit fields allowed with "-").
bool Month_And_Day(std::string_view text, int& month, int& day) {
    const std::size_t dash = text.find('-');
    std::string_view month_text = text.substr(0, 2);
    std::string_view day_text = text.size() == 4 ? text.substr(2) : std::string_view{};
    if (dash != std::string_view::npos) {
        month_text = text.substr(0, dash);
        day_text = text.substr(dash + 1);
    }
    if (!All_Digits(month_text) || !All_Digits(day_text) || month_text.size() > 2 ||
        day_text.size() > 2) {
        return false;
    }
    month = Number_Of(month_text);
    day = Number_Of(day_text);
    // A leap year, so that 29 February counts as a day.
    return Is_Valid_Civil_Date(2000, month, day);
}

}  // namespace

VCard_Date Parse_VCard_Date(std::string_view text, std::optional<int> omitted_year) {
    // A time of day, with or without a zone, says nothing of the day.
    const std::size_t time = text.find_first_of("Tt ");
    text = text.substr(0, time);
    int month = 0;
    int day = 0;
    if (text.starts_with("--")) {
        const std::string_view rest = text.substr(2);
        // "---DD" gives only a day; it has no year either.
        const bool day_only = rest.size() == 3 && rest[0] == '-' && All_Digits(rest.substr(1));
        return {day_only || Month_And_Day(rest, month, day) ? VCard_Date_Kind::Without_Year
                                                            : VCard_Date_Kind::Unreadable,
                0};
    }
    std::string_view year_text = text.substr(0, 4);
    std::string_view rest;
    if (text.size() == 8 && All_Digits(text)) {
        rest = text.substr(4);
    } else if (text.size() > 5 && text[4] == '-') {
        rest = text.substr(5);
        if (rest.find('-') == std::string_view::npos) {
            // "1953-10": a month without a day.
            return {};
        }
    } else {
        return {};
    }
    if (!All_Digits(year_text) || !Month_And_Day(rest, month, day)) {
        return {};
    }
    const int year = Number_Of(year_text);
    // Year 0 does not exist: writers put it, or the year they name as the
    // omitted one, where they know no year.
    if (year == 0 || (omitted_year && *omitted_year == year)) {
        return {VCard_Date_Kind::Without_Year, 0};
    }
    if (!Is_Valid_Civil_Date(year, month, day)) {
        return {};
    }
    return {VCard_Date_Kind::Dated, Encode_Date(year, month, day)};
}

}  // namespace tessaly
