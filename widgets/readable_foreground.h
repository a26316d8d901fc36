#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace tessaly {

// Gives the widget's text a colour of the design where that colour reads on
// the widget's background, and otherwise the nearest tint of it that does
// (Readable_Tint). The background follows the desktop's palette and may
// change while the program runs; the text's colour follows it.
void Keep_Readable_Foreground(QWidget& widget, const QColor& design,
                              QPalette::ColorRole text = QPalette::WindowText,
                              QPalette::ColorRole background = QPalette::Window);

}  // namespace tessaly
