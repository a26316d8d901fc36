#pragma once

#include <string>
#include <string_view>

// The data path of the version before entry attributes, kept as it was
// (core/ and report/ beside this file are frozen copies of its sources), so
// that tests can show what that version makes of a file this one writes.
namespace tessaly_last_version_run {

struct Last_Version_Result {
    // The file as that version saves it after loading, refreshing and sorting.
    std::string Saved;
    // Its report, plain text.
    std::string Report;
};

// Loads the bytes, refreshes the derived fields for `today`, sorts by the
// column and order, builds the report for the threshold (dates as
// year-month-day) and saves, as that version's window does.
Last_Version_Result Run_Last_Version(std::string_view bytes, double today, int sort_column,
                                     int sort_order, int threshold);

}  // namespace tessaly_last_version_run
