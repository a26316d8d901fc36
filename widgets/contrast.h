#pragma once

#include <QColor>

namespace tessaly {

// Luminance and contrast as the WCAG measures them: a ratio from 1 (the same
// brightness) to 21 (black on white).
double Relative_Luminance(const QColor& colour);
double Contrast_Ratio(const QColor& one, const QColor& other);

// Text on a background that was not made for it must reach this.
inline constexpr double Text_Contrast = 4.5;
// A theme's own pairs (its text on its base, its highlighted text on its
// highlight) are what every other program shows, so they are trusted down to
// this, the least that still reads as text.
inline constexpr double Theme_Pair_Contrast = 3.0;

// `text` when it reaches `minimum` on `background`; otherwise black or white,
// whichever reads better there.
QColor Readable_Text(const QColor& text, const QColor& background, double minimum = Text_Contrast);

// As Readable_Text, but keeping the colour's hue: mixed towards black or white
// only as far as it takes to reach `minimum`.
QColor Readable_Tint(const QColor& colour, const QColor& background,
                     double minimum = Text_Contrast);

}  // namespace tessaly
