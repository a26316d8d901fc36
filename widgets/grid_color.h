#pragma once

#include <QColor>
#include <QPalette>

namespace tessaly {

// A colour as the grid keeps it: a fixed RGB value, or a system colour (a
// palette role) that is looked up only when painting, so that it follows the
// desktop's colours. The system colours the grid uses by default are
// QPalette::Button (button face), QPalette::Base (window background),
// QPalette::Text (window text), QPalette::Highlight and
// QPalette::HighlightedText.
class Grid_Color {
public:
    // Implicit, so that a QColor, Qt::black or QPalette::Base can be passed
    // wherever a grid colour is asked for.
    Grid_Color(const QColor& rgb) : rgb_(rgb) {}                          // NOLINT
    Grid_Color(Qt::GlobalColor rgb) : rgb_(rgb) {}                        // NOLINT
    Grid_Color(QPalette::ColorRole role) : role_(role), system_(true) {}  // NOLINT

    bool Is_System() const { return system_; }
    QPalette::ColorRole Role() const { return role_; }
    QColor Rgb() const { return rgb_; }

    // System colours always come from the active group: a grid paints the
    // same whether or not its window is the active one.
    QColor Resolve(const QPalette& palette) const {
        return system_ ? palette.color(QPalette::Active, role_) : rgb_;
    }

    friend bool operator==(const Grid_Color&, const Grid_Color&) = default;

private:
    QColor rgb_;
    QPalette::ColorRole role_ = QPalette::NoRole;
    bool system_ = false;
};

}  // namespace tessaly
