#pragma once

#include <QProxyStyle>

namespace tessaly {

// Draws the boxes of check boxes and the circles of radio buttons so that
// they read in any palette: their outline at least 3:1 against the window
// and their tick or dot at least 3:1 against the box. Fusion, the style most
// Linux desktops give Qt programs, draws the outline as a shade of the
// window's own colour, which vanishes on a dark window (and is faint on a
// light one). Other styles draw their indicators as they always have.
class Readable_Indicator_Style final : public QProxyStyle {
    Q_OBJECT

public:
    // Takes ownership of `base`; none: the desktop's style.
    explicit Readable_Indicator_Style(QStyle* base = nullptr);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    // The menu bar's overflow arrows, drawn here: the base style's pictures
    // of them have every image plug-in loaded while the window is made.
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

// Makes the application's style one with readable indicators, over the style
// it has now. Call once the application exists, before any window is made.
void Use_Readable_Indicators();

// A new instance of the application's style with readable indicators, for a
// widget that needs a style of its own (a proxy of the application's style
// cannot take the application's style as its base: it owns it).
QStyle* New_Readable_Indicator_Style();

}  // namespace tessaly
