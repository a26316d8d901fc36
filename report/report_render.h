#pragma once

#include <string>

#include "report/report_builder.h"

namespace tessaly {

// The report for a terminal or a text file. Each paragraph is one line ended
// by "\n", so the result is Plain_Text() plus a final "\n": line tools count
// every paragraph, and the report's own empty last line shows as a blank line.
// Control characters other than tab (C0, DEL, C1), which a data file can put
// into names and event types, are shown as "?": they would otherwise reach
// the terminal as commands or split an entry's line.
std::string Render_Plain(const Report_Document& document);

// As Render_Plain (control characters too), with ANSI escapes around every formatted run: bold
// "\x1b[1m", bold and underlined "\x1b[1;4m", the bold blue highlight
// "\x1b[1;34m", each followed by a reset. Point sizes and alignment have no
// terminal form and are left out.
std::string Render_Ansi(const Report_Document& document);

}  // namespace tessaly
