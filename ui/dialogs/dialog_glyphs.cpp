#include "ui/dialogs/dialog_glyphs.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include "widgets/two_state_icon.h"

namespace tessaly {

namespace {

const QColor Dart_Blue(20, 70, 200);
const QColor Arrow_Red(200, 30, 30);

// A paper dart with a notched tail, pointing left; mirrored for the right.
void Draw_Dart(QPainter& p) {
    p.setPen(QPen(Dart_Blue.darker(150), 1));
    p.setBrush(Dart_Blue);
    p.drawPolygon(QPolygonF({QPointF(1, 8), QPointF(15, 2), QPointF(10.5, 8), QPointF(15, 14)}));
}

// A shaft with a head, pointing left; mirrored for the right.
void Draw_Arrow(QPainter& p) {
    p.setPen(QPen(Arrow_Red.darker(150), 1));
    p.setBrush(Arrow_Red);
    p.drawPolygon(QPolygonF({QPointF(1, 8), QPointF(7.5, 1.5), QPointF(7.5, 5.5), QPointF(15, 5.5),
                             QPointF(15, 10.5), QPointF(7.5, 10.5), QPointF(7.5, 14.5)}));
}

// A tear-off calendar leaf: red binding strip over a white page.
void Draw_Calendar_Leaf(QPainter& p) {
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 13, 12));
    p.setBrush(QColor(210, 40, 40));
    p.drawRect(QRectF(1.5, 2.5, 13, 3.5));
    p.setPen(QPen(QColor(40, 40, 40), 1.4));
    p.drawLine(QPointF(4.5, 1), QPointF(4.5, 4));
    p.drawLine(QPointF(11.5, 1), QPointF(11.5, 4));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 120));
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            p.drawRect(QRectF(3.5 + 3.5 * column, 7.5 + 3.5 * row, 2, 2));
        }
    }
}

void Draw_Tick(QPainter& p) {
    p.setPen(QPen(QColor(0, 150, 0), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(2.5, 9.5), QPointF(7, 14.5), QPointF(15.5, 3.5)}));
}

void Draw_Cross(QPainter& p) {
    p.setPen(QPen(QColor(210, 20, 20), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(14.5, 14.5));
    p.drawLine(QPointF(14.5, 3.5), QPointF(3.5, 14.5));
}

QImage Draw(Dialog_Glyph glyph) {
    const int size = Dialog_Glyph_Size(glyph);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool mirrored = glyph == Dialog_Glyph::Dart_Right || glyph == Dialog_Glyph::Arrow_Right;
    if (mirrored) {
        painter.translate(size, 0);
        painter.scale(-1, 1);
    }
    switch (glyph) {
        case Dialog_Glyph::Dart_Left:
        case Dialog_Glyph::Dart_Right:
            Draw_Dart(painter);
            break;
        case Dialog_Glyph::Arrow_Left:
        case Dialog_Glyph::Arrow_Right:
            Draw_Arrow(painter);
            break;
        case Dialog_Glyph::Calendar_Leaf:
            Draw_Calendar_Leaf(painter);
            break;
        case Dialog_Glyph::Tick:
            Draw_Tick(painter);
            break;
        case Dialog_Glyph::Cross:
            Draw_Cross(painter);
            break;
    }
    return image;
}

}  // namespace

int Dialog_Glyph_Size(Dialog_Glyph glyph) {
    return glyph == Dialog_Glyph::Tick || glyph == Dialog_Glyph::Cross ? 18 : 16;
}

QIcon Make_Dialog_Glyph(Dialog_Glyph glyph) {
    const QImage normal = Draw(glyph);
    return Make_Two_State_Icon(normal);
}

}  // namespace tessaly
