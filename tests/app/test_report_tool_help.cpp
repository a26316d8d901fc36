// The help as each system's users read it; no POSIX calls, so that it runs
// under Wine as well.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "report_tool_in_process.h"

namespace tessaly {
namespace {

#if defined(_WIN32)
constexpr bool On_Windows = true;
#else
constexpr bool On_Windows = false;
#endif

TEST(Report_Tool_Help, NamesThisSystemsPlacesAndOnlyTheOptionsItTakes) {
    const test::Tool_Result help = test::Run_In_Process({"--help"}, {});
    ASSERT_EQ(help.Status, 0);
    struct Row {
        const char* Text;
        bool On_Windows;
        bool Elsewhere;
    };
    const Row rows[] = {
        {"once installed, in\n                         %APPDATA%\\Tessaly)\n", true, false},
        {"once installed, in\n                         ~/.local/share/tessaly)\n", false, true},
        {"~/", false, true},
        {"XDG", false, false},
        {"Debian", false, false},
        {"\n  --notify ", true, true},
        {"69", true, true},
        {"\n  --daily-notification on|off|status\n", true, false},
        {"\n  --ical ", true, true},
        {"\n  --csv ", true, true},
        {"\n  --date-format PATTERN ", true, true},
        {"74 report not written.\n", true, true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(help.Out.find(row.Text) != std::string::npos,
                  On_Windows ? row.On_Windows : row.Elsewhere)
            << row.Text << " in:\n"
            << help.Out;
    }
    // A console's 80 columns hold every line.
    std::istringstream lines(help.Out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 79u) << line;
    }
}

}  // namespace
}  // namespace tessaly
