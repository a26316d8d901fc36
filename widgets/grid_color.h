#pragma once

#include <QColor>
#include <QPalette>

#include "widgets/contrast.h"

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

    // This colour as the colour of text drawn on `background`. A system
    // colour that would not read there gives way to black or white: the
    // theme's text colour on a fixed light colour, say, in a dark theme. A
    // fixed colour is kept as chosen.
    QColor Resolve_Text_On(const Grid_Color& background, const QPalette& palette) const {
        const QColor text = Resolve(palette);
        if (!system_) {
            return text;
        }
        return Readable_Text(text, background.Resolve(palette),
                             Pairs_With(background) ? Theme_Pair_Contrast : Text_Contrast);
    }

    friend bool operator==(const Grid_Color&, const Grid_Color&) = default;

private:
    // Whether this is the text role the theme makes for the background's role.
    bool Pairs_With(const Grid_Color& background) const {
        if (!background.system_) {
            return false;
        }
        switch (background.role_) {
            case QPalette::Base:
            case QPalette::AlternateBase:
                return role_ == QPalette::Text;
            case QPalette::Window:
                return role_ == QPalette::WindowText;
            case QPalette::Button:
                return role_ == QPalette::ButtonText;
            case QPalette::Highlight:
                return role_ == QPalette::HighlightedText;
            case QPalette::ToolTipBase:
                return role_ == QPalette::ToolTipText;
            default:
                return false;
        }
    }

    QColor rgb_;
    QPalette::ColorRole role_ = QPalette::NoRole;
    bool system_ = false;
};

}  // namespace tessaly
