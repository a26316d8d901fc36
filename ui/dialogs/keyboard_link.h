#pragma once

#include <functional>

class QLabel;

namespace tessaly {

// Makes a label drawn as a link work as one from the keyboard: it takes the
// focus with Tab, shows a frame while it has it, opens with Enter or Space,
// and reads to a screen reader as a link named by its text.
void Make_Keyboard_Link(QLabel& label, std::function<void()> open);

}  // namespace tessaly
