#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QStyle>

#include <cstdlib>
#include <map>
#include <ostream>
#include <string>

namespace tessaly::test {

// The usual dark Fusion set-up: only these roles are set, the rest stay as
// the light palette has them, as in many a hand-made dark theme.
inline QPalette Dark_Fusion_Palette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    return dark;
}

// Black everywhere, white window and button text, yellow text in fields.
inline QPalette High_Contrast_Palette() {
    QPalette contrast;
    for (const QPalette::ColorRole role :
         {QPalette::Window, QPalette::Base, QPalette::AlternateBase, QPalette::Button}) {
        contrast.setColor(role, Qt::black);
    }
    contrast.setColor(QPalette::WindowText, Qt::white);
    contrast.setColor(QPalette::ButtonText, Qt::white);
    contrast.setColor(QPalette::Text, Qt::yellow);
    contrast.setColor(QPalette::Highlight, QColor(0x1a, 0xeb, 0xff));
    contrast.setColor(QPalette::HighlightedText, Qt::black);
    return contrast;
}

struct Desktop_Theme {
    const char* Name;
    QPalette (*Palette)();
};

inline void PrintTo(const Desktop_Theme& theme, std::ostream* os) {
    *os << theme.Name;
}

inline std::string Theme_Name(const Desktop_Theme& theme) {
    return theme.Name;
}

inline const Desktop_Theme Dark_Fusion{"Dark_Fusion", &Dark_Fusion_Palette};
inline const Desktop_Theme High_Contrast{"High_Contrast", &High_Contrast_Palette};

// The application in the Fusion style with a theme's palette for one test,
// as it was afterwards.
class Scoped_Desktop_Theme {
public:
    explicit Scoped_Desktop_Theme(const QPalette& palette)
        : style_(QApplication::style()->name()), palette_(QApplication::palette()) {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(palette);
    }
    ~Scoped_Desktop_Theme() {
        QApplication::setStyle(style_);
        QApplication::setPalette(palette_);
    }
    Scoped_Desktop_Theme(const Scoped_Desktop_Theme&) = delete;
    Scoped_Desktop_Theme& operator=(const Scoped_Desktop_Theme&) = delete;

private:
    QString style_;
    QPalette palette_;
};

// What text painted in an area looks like: the area's commonest colour is
// its background, and the colour least like it is the ink.
struct Ink {
    QColor Background;
    QColor Text;
};

inline int Distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
           std::abs(qBlue(a) - qBlue(b));
}

inline Ink Ink_In(const QImage& image, const QRect& area) {
    std::map<QRgb, int> counts;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            ++counts[image.pixel(x, y) | 0xFF000000u];
        }
    }
    QRgb background = 0;
    int most = -1;
    for (const auto& [colour, count] : counts) {
        if (count > most) {
            most = count;
            background = colour;
        }
    }
    QRgb text = background;
    for (const auto& [colour, count] : counts) {
        if (Distance(colour, background) > Distance(text, background)) {
            text = colour;
        }
    }
    return {QColor(background), QColor(text)};
}

}  // namespace tessaly::test
