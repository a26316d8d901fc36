#include "exchange/vcard_dates.h"

#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/text_encoding.h"

namespace tessaly {

namespace {

// Month and day as "MMDD" or "MM-DD" (one-digit fields allowed with "-").
bool Month_And_Day(std::string_view text, int& month, int& day) {
    const std::size_t dash = text.find('-');
    std::string_view month_text = text.substr(0, 2);
    std::string_view day_text = text.size() == 4 ? text.substr(2) : std::string_view{};
    if (dash != std::string_view::npos) {
        month_text = text.substr(0, dash);
        day_text = text.substr(dash + 1);
    }
    const std::optional<int> month_value = Decimal_Value(month_text, 2);
    const std::optional<int> day_value = Decimal_Value(day_text, 2);
    if (!month_value || !day_value) {
        return false;
    }
    month = *month_value;
    day = *day_value;
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
        // "---DD" gives only a day: without a month it names no day of the
        // year, and reads as unreadable.
        if (!Month_And_Day(text.substr(2), month, day)) {
            return {};
        }
        return {VCard_Date_Kind::Without_Year, Year_Unknown_Date(month, day)};
    }
    std::string_view year_text = text.substr(0, 4);
    std::string_view rest;
    if (text.size() == 8 && Decimal_Value(text, 8)) {
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
    const std::optional<int> year_value = Decimal_Value(year_text, 4);
    if (!year_value || !Month_And_Day(rest, month, day)) {
        return {};
    }
    const int year = *year_value;
    // Year 0 does not exist: writers put it, the year they name as the
    // omitted one, or 1604 (which contact programs use for none) where they
    // know no year.
    if (year == 0 || year == Year_Unknown_Placeholder || (omitted_year && *omitted_year == year)) {
        return {VCard_Date_Kind::Without_Year, Year_Unknown_Date(month, day)};
    }
    if (!Is_Valid_Civil_Date(year, month, day)) {
        return {};
    }
    return {VCard_Date_Kind::Dated, Encode_Date(year, month, day)};
}

}  // namespace tessaly
