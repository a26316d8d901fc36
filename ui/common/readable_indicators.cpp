#include "ui/common/readable_indicators.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QStyleFactory>
#include <QStyleOption>

#include <algorithm>

#include "widgets/contrast.h"
#include "widgets/two_state_icon.h"

namespace tessaly {

namespace {

// What a control that is not text needs against what is next to it.
constexpr double Indicator_Contrast = 3.0;

QColor Mixed(const QColor& one, const QColor& other, double share_of_other) {
    const auto mix = [share_of_other](int a, int b) {
        return static_cast<int>(a + (b - a) * share_of_other);
    };
    return QColor(mix(one.red(), other.red()), mix(one.green(), other.green()),
                  mix(one.blue(), other.blue()));
}

struct Indicator_Colours {
    QColor Fill;
    QColor Outline;
    QColor Mark;
};

Indicator_Colours Colours_For(const QStyleOption& option) {
    const QPalette& palette = option.palette;
    const bool enabled = (option.state & QStyle::State_Enabled) != 0;
    const QPalette::ColorGroup group = enabled ? QPalette::Active : QPalette::Disabled;
    const QColor window = palette.color(group, QPalette::Window);
    Indicator_Colours colours;
    colours.Fill = enabled ? palette.color(group, QPalette::Base) : window;
    if (enabled && (option.state & QStyle::State_Sunken) != 0) {
        colours.Fill = Mixed(colours.Fill, palette.color(group, QPalette::Highlight), 0.25);
    }
    // A disabled control is drawn faint on purpose, as every other control.
    if (!enabled) {
        colours.Outline = Mixed(window, palette.color(group, QPalette::WindowText), 0.4);
        colours.Mark = palette.color(group, QPalette::Text);
        return colours;
    }
    // The outline sets the box apart from the window around it and from
    // its own fill; hovered, it takes the highlight, as Fusion does.
    const QColor outline = (option.state & QStyle::State_MouseOver) != 0
                               ? palette.color(group, QPalette::Highlight)
                               : Mixed(palette.color(group, QPalette::WindowText), window, 0.35);
    colours.Outline = Readable_Tint(outline, window, Indicator_Contrast);
    if (Contrast_Ratio(colours.Outline, colours.Fill) < Indicator_Contrast) {
        colours.Outline = Readable_Tint(colours.Outline, colours.Fill, Indicator_Contrast);
    }
    colours.Mark =
        Readable_Text(palette.color(group, QPalette::Text), colours.Fill, Indicator_Contrast);
    return colours;
}

void Draw_Check_Box(const QStyleOption& option, QPainter& painter) {
    const Indicator_Colours colours = Colours_For(option);
    const QRectF box = QRectF(option.rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const double side = std::min(box.width(), box.height());
    painter.setPen(QPen(colours.Outline, 1.0));
    painter.setBrush(colours.Fill);
    painter.drawRoundedRect(box, side / 8, side / 8);
    const double stroke = std::max(1.5, side / 7);
    painter.setPen(QPen(colours.Mark, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    const QPointF at = box.topLeft();
    if ((option.state & QStyle::State_NoChange) != 0) {
        painter.drawLine(QPointF(at.x() + side * 0.25, at.y() + side * 0.5),
                         QPointF(at.x() + side * 0.75, at.y() + side * 0.5));
    } else if ((option.state & QStyle::State_On) != 0) {
        const QPointF tick[] = {{at.x() + side * 0.22, at.y() + side * 0.52},
                                {at.x() + side * 0.42, at.y() + side * 0.72},
                                {at.x() + side * 0.78, at.y() + side * 0.28}};
        painter.drawPolyline(tick, 3);
    }
}

void Draw_Radio_Button(const QStyleOption& option, QPainter& painter) {
    const Indicator_Colours colours = Colours_For(option);
    const QRectF area = QRectF(option.rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const double side = std::min(area.width(), area.height());
    const QRectF circle(area.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
    painter.setPen(QPen(colours.Outline, 1.0));
    painter.setBrush(colours.Fill);
    painter.drawEllipse(circle);
    if ((option.state & QStyle::State_On) != 0) {
        const double dot = side * 0.5;
        painter.setPen(Qt::NoPen);
        painter.setBrush(colours.Mark);
        painter.drawEllipse(QRectF(circle.center() - QPointF(dot / 2, dot / 2), QSizeF(dot, dot)));
    }
}

bool Draws_Faint_Indicators(const QStyle* style) {
    return style != nullptr &&
           style->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) == 0;
}

}  // namespace

Readable_Indicator_Style::Readable_Indicator_Style(QStyle* base) : QProxyStyle(base) {
    setObjectName(QStringLiteral("Readable_Indicator_Style"));
}

void Readable_Indicator_Style::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                             QPainter* painter, const QWidget* widget) const {
    const bool ours = (element == PE_IndicatorCheckBox || element == PE_IndicatorRadioButton) &&
                      option != nullptr && painter != nullptr &&
                      Draws_Faint_Indicators(baseStyle());
    if (!ours) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (element == PE_IndicatorCheckBox) {
        Draw_Check_Box(*option, *painter);
    } else {
        Draw_Radio_Button(*option, *painter);
    }
    painter->restore();
}

namespace {

QString Application_Base_Style_Name() {
    const QStyle* style = QApplication::style();
    if (const auto* ours = qobject_cast<const Readable_Indicator_Style*>(style)) {
        style = ours->baseStyle();
    }
    return style->name();
}

}  // namespace

namespace {

// Two chevrons pointing along the bar, in the window's text colour (its
// disabled grey comes with the icon).
QImage Overflow_Arrows(int side, bool vertical) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText));
    pen.setWidthF(std::max(1.0, side / 8.0));
    painter.setPen(pen);
    if (vertical) {
        painter.translate(side, 0);
        painter.rotate(90);
    }
    const double s = side;
    for (const double x : {0.2 * s, 0.5 * s}) {
        painter.drawPolyline(QPolygonF{{x, 0.25 * s}, {x + 0.25 * s, 0.5 * s}, {x, 0.75 * s}});
    }
    return image;
}

}  // namespace

QIcon Readable_Indicator_Style::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                             const QWidget* widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton) {
        const bool vertical = icon == SP_ToolBarVerticalExtensionButton;
        return Make_Two_State_Icon(
            {8, 12, 16, 24, 32}, [vertical](int side) { return Overflow_Arrows(side, vertical); });
    }
    return QProxyStyle::standardIcon(icon, option, widget);
}

void Use_Readable_Indicators() {
    if (qobject_cast<const Readable_Indicator_Style*>(QApplication::style()) != nullptr) {
        return;
    }
    QApplication::setStyle(New_Readable_Indicator_Style());
}

QStyle* New_Readable_Indicator_Style() {
    return new Readable_Indicator_Style(QStyleFactory::create(Application_Base_Style_Name()));
}

}  // namespace tessaly
