#include "report/report_glyphs.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include "widgets/two_state_icon.h"

namespace tessaly {

namespace {

constexpr int Size = Report_Glyph_Size;

void Draw_Clipboard(QPainter& p) {
    // A board with a sheet of text held by a metal clip.
    p.setPen(QPen(QColor(90, 55, 20), 1));
    p.setBrush(QColor(185, 125, 60));
    p.drawRoundedRect(QRectF(3.5, 3.5, 15, 17), 1.5, 1.5);
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 6.5, 11, 12));
    p.setPen(QPen(QColor(30, 80, 190), 1.2));
    for (const double y : {9.5, 12.0, 14.5}) {
        p.drawLine(QPointF(7.5, y), QPointF(14.5, y));
    }
    p.drawLine(QPointF(7.5, 17), QPointF(11.5, 17));
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(QColor(200, 200, 210));
    p.drawRoundedRect(QRectF(7.5, 1.5, 7, 4), 1, 1);
}

void Draw_Printer(QPainter& p) {
    // Paper going in at the back, the body, and a printed sheet coming out.
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 1.5, 9, 7));
    p.setBrush(QColor(150, 155, 165));
    p.drawRoundedRect(QRectF(1.5, 7.5, 19, 9), 1.5, 1.5);
    p.setBrush(QColor(60, 60, 70));
    p.drawRect(QRectF(4.5, 12.5, 13, 2));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 200, 60));
    p.drawEllipse(QPointF(17, 10), 1.2, 1.2);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 14.5, 11, 6));
    p.setPen(QPen(QColor(30, 80, 190), 1));
    p.drawLine(QPointF(7.5, 17), QPointF(14.5, 17));
}

void Draw_Events_List(QPainter& p) {
    // A list of entries with a title bar: back to the events list.
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 3.5, 17, 15));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 80, 190));
    p.drawRect(QRectF(3, 4, 16, 3));
    for (const double y : {9.0, 12.0, 15.0}) {
        p.setBrush(QColor(200, 40, 40));
        p.drawRect(QRectF(4.5, y, 2, 2));
        p.setBrush(QColor(90, 90, 90));
        p.drawRect(QRectF(8, y + 0.5, 9.5, 1));
    }
}

void Draw_Exit_Door(QPainter& p) {
    // An open door with an arrow leaving through it.
    p.setPen(QPen(QColor(60, 40, 20), 1));
    p.setBrush(QColor(235, 225, 200));
    p.drawRect(QRectF(9.5, 1.5, 10, 19));
    QPainterPath door;
    door.moveTo(9.5, 1.5);
    door.lineTo(15.5, 4.5);
    door.lineTo(15.5, 20.5);
    door.lineTo(9.5, 20.5);
    door.closeSubpath();
    p.setBrush(QColor(150, 90, 40));
    p.drawPath(door);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 200, 60));
    p.drawEllipse(QPointF(14, 12), 0.9, 0.9);
    p.setPen(QPen(QColor(20, 140, 40), 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(11, 11), QPointF(4, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 140, 40));
    p.drawPolygon(QPolygonF({QPointF(1, 11), QPointF(5.5, 7), QPointF(5.5, 15)}));
}

QImage Draw(Report_Glyph glyph) {
    QImage image(Size, Size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
        case Report_Glyph::Clipboard:
            Draw_Clipboard(p);
            break;
        case Report_Glyph::Printer:
            Draw_Printer(p);
            break;
        case Report_Glyph::Events_List:
            Draw_Events_List(p);
            break;
        case Report_Glyph::Exit_Door:
            Draw_Exit_Door(p);
            break;
    }
    return image;
}

}  // namespace

QIcon Make_Report_Glyph(Report_Glyph glyph) {
    const QImage image = Draw(glyph);
    return Make_Two_State_Icon(image);
}

}  // namespace tessaly
