#pragma once

#include <optional>
#include <string_view>

#include "exchange/vcard_import.h"

namespace tessaly {

struct VCard_Date {
    VCard_Date_Kind Kind = VCard_Date_Kind::Unreadable;
    Day_Number Date = 0;  // set only for Dated
};

// A contact's date as vCard writers put it: "YYYY-MM-DD", "YYYYMMDD", either
// with a time of day, or without a year ("--MMDD", "--MM-DD", year 0000 or
// 1604). `omitted_year` is the year the writer marks as standing for none. A
// date without a year gives its month and day as a year-less entry stores
// them.
VCard_Date Parse_VCard_Date(std::string_view text, std::optional<int> omitted_year);

}  // namespace tessaly
