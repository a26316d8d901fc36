#include "widgets/contrast.h"

#include <algorithm>
#include <cmath>

namespace tessaly {

namespace {

double Linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

QColor Better_Pole(const QColor& background) {
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return Contrast_Ratio(white, background) >= Contrast_Ratio(black, background) ? white : black;
}

QColor Mixed(const QColor& from, const QColor& to, double share) {
    const auto channel = [share](int a, int b) {
        return static_cast<int>(std::lround(a + (b - a) * share));
    };
    return {channel(from.red(), to.red()), channel(from.green(), to.green()),
            channel(from.blue(), to.blue())};
}

}  // namespace

double Relative_Luminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) +
           0.0722 * Linear(rgb.blueF());
}

double Contrast_Ratio(const QColor& one, const QColor& other) {
    const double a = Relative_Luminance(one);
    const double b = Relative_Luminance(other);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor Readable_Text(const QColor& text, const QColor& background, double minimum) {
    return Contrast_Ratio(text, background) >= minimum ? text : Better_Pole(background);
}

QColor Readable_Tint(const QColor& colour, const QColor& background, double minimum) {
    if (Contrast_Ratio(colour, background) >= minimum) {
        return colour;
    }
    // The pole itself always reads at least as well as any mix; the first
    // step that reaches the minimum is the least change.
    const QColor pole = Better_Pole(background);
    constexpr int Steps = 64;
    for (int step = 1; step < Steps; ++step) {
        const QColor mix = Mixed(colour, pole, static_cast<double>(step) / Steps);
        if (Contrast_Ratio(mix, background) >= minimum) {
            return mix;
        }
    }
    return pole;
}

}  // namespace tessaly
