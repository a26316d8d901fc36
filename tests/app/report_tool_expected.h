#pragma once

// What the terminal tool's tests expect, whether they run it in-process or
// as the built program.

#include <string>

#include "test_support/report_text.h"

namespace tessaly::test {

struct Tool_Result {
    int Status = -1;
    std::string Out;
    std::string Err;
};

inline const std::string Demo_Report_7_Dec_2026 =
    Report_Heading(14, "Mon, 07/12/2026") +
    "    1.  Juniper's 4th Birthday in 4 days (Fri, 11/12/2026)\n"
    "    2.  Clementine's 1st Birthday in 5 days (Sat, 12/12/2026)\n"
    "    3.  Mo and Rita's 15th Wedding Anniversary in 5 days (Sat, 12/12/2026)\n"
    "    4.  Luis and Irena's 12th Wedding Anniversary in 6 days (Sun, 13/12/2026)\n"
    "    5.  Ada and Felix's 5th Wedding Anniversary in 7 days (Mon, 14/12/2026)\n"
    "\n"
    " 5 events found and reported.\n"
    "\n"
    " Report courtesy of:  Tessaly v1.0f\n"
    "                      https://tessaly.example.org\n"
    "\n";

inline const std::string Try_Help = "Try 'tessaly-report --help'.\n";

}  // namespace tessaly::test
