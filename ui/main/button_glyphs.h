#pragma once

#include <QIcon>

namespace tessaly {

enum class Button_Glyph { Report, Add, Edit, Delete, Reset, Exit };

inline constexpr int Button_Glyph_Size = 20;

// A two-state glyph: the drawing in colour for an enabled button and a
// flat grey copy for a disabled one.
QIcon Make_Button_Glyph(Button_Glyph glyph);

}  // namespace tessaly
