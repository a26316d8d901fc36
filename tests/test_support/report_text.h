#pragma once

// The report's fixed lines as the tests expect them, written once.

#include <string>

namespace tessaly::test {

// The lines between the title and the first entry, each ending in "\n".
inline std::string Report_Heading_Lines(int days, const std::string& valid_at) {
    return "\n"
           "    Timeframe:  Birthdays and Events occuring in the next " +
           std::to_string(days) +
           " days.\n"
           "\n"
           "     Valid at:  " +
           valid_at +
           "\n"
           "\n"
           " Sorted Order:  Days Left, Ascending Order.\n"
           "\n"
           " Events :\n"
           "\n";
}

// The plain report's start: a blank line, the title and the heading lines.
inline std::string Report_Heading(int days, const std::string& valid_at) {
    return "\nComing Birthdays and Events Report.\n" + Report_Heading_Lines(days, valid_at);
}

}  // namespace tessaly::test
