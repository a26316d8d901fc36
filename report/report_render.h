#pragma once

#include <string>
#include <string_view>

#include "report/report_builder.h"

namespace tessaly {

// Appends the text on one line, its line breaks as spaces
// (Line_Breaks_As_Spaces), and with every other control character than tab
// (C0, DEL, C1) shown as "?": entry texts come from the data file, which may
// hold any byte, and such a character would reach a terminal or a
// notification server as a command or break the line it is on.
void Append_Printable(std::string& out, std::string_view text);

// The report for a terminal or a text file. Each paragraph is one line ended
// by "\n", so the result is Plain_Text() plus a final "\n": line tools count
// every paragraph, and the report's own empty last line shows as a blank line.
// Entry texts are shown as Append_Printable shows them.
std::string Render_Plain(const Report_Document& document);

// As Render_Plain (control characters too), with ANSI escapes around every formatted run: bold
// "\x1b[1m", bold and underlined "\x1b[1;4m", the bold blue highlight
// "\x1b[1;34m", each followed by a reset. Point sizes and alignment have no
// terminal form and are left out.
std::string Render_Ansi(const Report_Document& document);

}  // namespace tessaly
