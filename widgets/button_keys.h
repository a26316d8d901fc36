#pragma once

class QWidget;

namespace tessaly {

// Enter presses the push button that has the keyboard focus, as Space does.
// Buttons that are no dialog's default ignore Enter in Qt, which leaves
// keyboard users pressing a button that does nothing. Call once the window's
// buttons exist.
void Enter_Presses_Focused_Button(QWidget& window);

}  // namespace tessaly
