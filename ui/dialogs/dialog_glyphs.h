#pragma once

#include <QIcon>

namespace tessaly {

enum class Dialog_Glyph {
    Dart_Left,
    Arrow_Left,
    Calendar_Leaf,
    Arrow_Right,
    Dart_Right,
    Tick,
    Cross
};

// Edge of the square glyph: 16 for the jump buttons, 18 for OK and Cancel.
int Dialog_Glyph_Size(Dialog_Glyph glyph);

// The drawing in colour for an enabled button and a flat grey copy for a
// disabled one.
QIcon Make_Dialog_Glyph(Dialog_Glyph glyph);

}  // namespace tessaly
