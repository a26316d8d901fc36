#pragma once

#include <QIcon>

namespace tessaly {

enum class Report_Glyph { Clipboard, Printer, Events_List, Exit_Door };

inline constexpr int Report_Glyph_Size = 22;

// A two-state image: the drawing in colour for an enabled button and a pale
// grey copy for a disabled one.
QIcon Make_Report_Glyph(Report_Glyph glyph);

}  // namespace tessaly
