#include "ui/main/button_glyphs.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <vector>

#include "widgets/two_state_icon.h"

namespace tessaly {

namespace {

constexpr int Size = Button_Glyph_Size;

void Draw_Report(QPainter& p) {
    // A page with a folded corner and lines of text.
    QPainterPath page;
    page.moveTo(4, 1.5);
    page.lineTo(12.5, 1.5);
    page.lineTo(16.5, 5.5);
    page.lineTo(16.5, 18.5);
    page.lineTo(4, 18.5);
    page.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.setBrush(QColor(210, 210, 210));
    p.drawPolygon(QPolygonF({QPointF(12.5, 1.5), QPointF(12.5, 5.5), QPointF(16.5, 5.5)}));
    p.setPen(QPen(QColor(30, 80, 190), 1.5));
    for (const double y : {8.0, 11.0, 14.0}) {
        p.drawLine(QPointF(6.5, y), QPointF(14, y));
    }
    p.drawLine(QPointF(6.5, 17), QPointF(11, 17));
}

void Draw_Add(QPainter& p) {
    p.setPen(QPen(QColor(0, 90, 0), 1));
    p.setBrush(QColor(40, 170, 40));
    QPainterPath plus;
    plus.addRect(QRectF(7.5, 2.5, 5, 15));
    plus.addRect(QRectF(2.5, 7.5, 15, 5));
    p.drawPath(plus.simplified());
}

void Draw_Edit(QPainter& p) {
    // A pencil lying from top right to bottom left.
    p.translate(10, 10);
    p.rotate(-45);
    p.setPen(QPen(QColor(70, 50, 0), 1));
    p.setBrush(QColor(240, 190, 40));
    p.drawRect(QRectF(-5, -2.5, 11, 5));
    p.setBrush(QColor(230, 130, 150));
    p.drawRect(QRectF(6, -2.5, 3, 5));
    p.setBrush(QColor(240, 215, 170));
    p.drawPolygon(QPolygonF({QPointF(-5, -2.5), QPointF(-10, 0), QPointF(-5, 2.5)}));
    p.setBrush(QColor(40, 40, 40));
    p.drawPolygon(QPolygonF({QPointF(-8.3, -0.85), QPointF(-10, 0), QPointF(-8.3, 0.85)}));
}

void Draw_Delete(QPainter& p) {
    p.setPen(QPen(QColor(200, 20, 20), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 4.5), QPointF(15.5, 15.5));
    p.drawLine(QPointF(15.5, 4.5), QPointF(4.5, 15.5));
}

void Draw_Reset(QPainter& p) {
    // Two arrows chasing each other round a circle: start afresh.
    p.setPen(QPen(QColor(30, 80, 190), 2.2, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    const QRectF circle(3.5, 3.5, 13, 13);
    p.drawArc(circle, 30 * 16, 130 * 16);
    p.drawArc(circle, 210 * 16, 130 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 80, 190));
    p.drawPolygon(QPolygonF({QPointF(14.5, 1.5), QPointF(18.5, 8.5), QPointF(11, 8)}));
    p.drawPolygon(QPolygonF({QPointF(5.5, 18.5), QPointF(1.5, 11.5), QPointF(9, 12)}));
}

void Draw_Exit(QPainter& p) {
    // An open door with an arrow leaving through it.
    p.setPen(QPen(QColor(60, 40, 20), 1));
    p.setBrush(QColor(235, 235, 225));
    p.drawRect(QRectF(2.5, 1.5, 10, 17));
    p.setBrush(QColor(150, 95, 45));
    p.drawPolygon(
        QPolygonF({QPointF(2.5, 1.5), QPointF(8.5, 3.5), QPointF(8.5, 19.5), QPointF(2.5, 18.5)}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 220, 80));
    p.drawEllipse(QPointF(7.3, 11), 0.9, 0.9);
    p.setPen(QPen(QColor(0, 130, 0), 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(10, 10), QPointF(15.5, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 130, 0));
    p.drawPolygon(QPolygonF({QPointF(15, 6), QPointF(19.5, 10), QPointF(15, 14)}));
}

// The drawings are in a 20 x 20 grid; `side` scales them.
QImage Draw(Button_Glyph glyph, int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(static_cast<double>(side) / Size, static_cast<double>(side) / Size);
    switch (glyph) {
        case Button_Glyph::Report:
            Draw_Report(painter);
            break;
        case Button_Glyph::Add:
            Draw_Add(painter);
            break;
        case Button_Glyph::Edit:
            Draw_Edit(painter);
            break;
        case Button_Glyph::Delete:
            Draw_Delete(painter);
            break;
        case Button_Glyph::Reset:
            Draw_Reset(painter);
            break;
        case Button_Glyph::Exit:
            Draw_Exit(painter);
            break;
    }
    return image;
}

}  // namespace

QIcon Make_Button_Glyph(Button_Glyph glyph) {
    // Drawn at each size the scaled window may ask for, so that a larger
    // button gets a sharp larger glyph: an icon is never scaled up.
    return Make_Two_State_Icon({Size, Size * 3 / 2, Size * 2, Size * 3, Size * 4},
                               [glyph](int side) { return Draw(glyph, side); });
}

}  // namespace tessaly
