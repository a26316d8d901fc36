#include "ui/dialogs/about_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

#include "core/program_identity.h"

namespace tessaly {

namespace {

const QColor Navy(18, 38, 92);
const QColor Gold(244, 190, 60);

enum class Face { Serif, Sans };

QFont Picture_Font(Face face, int pixels, bool bold, bool italic = false) {
    QFont font(face == Face::Serif ? QStringLiteral("DejaVu Serif")
                                   : QStringLiteral("DejaVu Sans"));
    font.setStyleHint(face == Face::Serif ? QFont::Serif : QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    // Outlines rather than hinted glyphs: the pictures are stretched.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Text whose shadow lifts it off a busy background.
void Draw_Raised_Text(QPainter& p, const QPointF& baseline, const QString& text,
                      const QColor& colour) {
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(baseline + QPointF(1.5, 1.5), text);
    p.setPen(colour);
    p.drawText(baseline, text);
}

// The program's name on a deep blue to teal band, with the year drawn as a
// ring of events on the right.
void Paint_Banner(QPainter& p) {
    const QRectF band(0, 0, 611, 67);
    QLinearGradient sky(band.topLeft(), band.topRight());
    sky.setColorAt(0, Navy);
    sky.setColorAt(0.55, QColor(34, 86, 168));
    sky.setColorAt(1, QColor(22, 138, 150));
    p.fillRect(band, sky);
    QLinearGradient gloss(band.topLeft(), QPointF(0, 34));
    gloss.setColorAt(0, QColor(255, 255, 255, 60));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(0, 0, 611, 34), gloss);

    const QPointF centre(560, 33.5);
    p.setBrush(Qt::NoBrush);
    for (const double radius : {12.0, 21.0, 30.0}) {
        p.setPen(QPen(QColor(255, 255, 255, 55), 1.2));
        p.drawEllipse(centre, radius, radius);
    }
    // Twelve months on the outer ring; a few of them hold an event.
    for (int month = 0; month < 12; ++month) {
        const double angle = month * std::numbers::pi / 6 - std::numbers::pi / 2;
        const QPointF at = centre + QPointF(std::cos(angle), std::sin(angle)) * 30.0;
        const bool event = month == 1 || month == 4 || month == 8 || month == 10;
        p.setPen(Qt::NoPen);
        p.setBrush(event ? Gold : QColor(255, 255, 255, 120));
        p.drawEllipse(at, event ? 3.2 : 1.8, event ? 3.2 : 1.8);
    }
    p.setBrush(Gold);
    p.drawEllipse(centre, 4, 4);

    const QString title = QString::fromUtf8(Program_Title);
    const qsizetype space = title.indexOf(' ');
    const QString name = space < 0 ? title : title.left(space);
    const QString version = space < 0 ? QString() : title.mid(space + 1);

    const QFont name_font = Picture_Font(Face::Serif, 38, true, true);
    p.setFont(name_font);
    Draw_Raised_Text(p, QPointF(22, 47), name, Qt::white);
    const double after_name = 22 + QFontMetricsF(name_font).horizontalAdvance(name) + 14;

    p.setFont(Picture_Font(Face::Sans, 15, true));
    Draw_Raised_Text(p, QPointF(after_name, 29), version, Gold);
    p.setFont(Picture_Font(Face::Sans, 13, false, true));
    Draw_Raised_Text(p, QPointF(after_name, 48),
                     QStringLiteral("Birthdays and yearly events, remembered"),
                     QColor(220, 232, 250));

    p.fillRect(QRectF(0, 64, 611, 3), Gold);
}

// How far the page corner is lifted in a frame: a small dog-ear at rest,
// then one smooth lift and fall.
double Corner_Lift(int frame) {
    constexpr int Rest_Frames = 18;
    constexpr double Rest_Lift = 9;
    constexpr double Full_Lift = 52;
    const int step = ((frame % Calendar_Logo_Frame_Count) + Calendar_Logo_Frame_Count) %
                     Calendar_Logo_Frame_Count;
    if (step < Rest_Frames) {
        return Rest_Lift;
    }
    const double phase = static_cast<double>(step - Rest_Frames) /
                         (Calendar_Logo_Frame_Count - Rest_Frames) * std::numbers::pi;
    return Rest_Lift + (Full_Lift - Rest_Lift) * std::sin(phase) * std::sin(phase);
}

void Paint_Page(QPainter& p, const QRectF& page, const QString& day, const QString& weekday,
                const QColor& paper) {
    p.setPen(Qt::NoPen);
    p.setBrush(paper);
    p.drawRect(page);
    const QRectF header(page.left(), page.top(), page.width(), 30);
    QLinearGradient red(header.topLeft(), header.bottomLeft());
    red.setColorAt(0, QColor(222, 62, 52));
    red.setColorAt(1, QColor(178, 30, 30));
    p.fillRect(header, red);
    p.setPen(Qt::white);
    p.setFont(Picture_Font(Face::Sans, 12, true));
    p.drawText(header.adjusted(0, 4, 0, 0), Qt::AlignCenter, QStringLiteral("SEPTEMBER"));
    p.setPen(QColor(38, 42, 70));
    p.setFont(Picture_Font(Face::Serif, 58, true));
    p.drawText(QRectF(page.left(), header.bottom() + 4, page.width(), 68), Qt::AlignCenter, day);
    p.setPen(QColor(110, 110, 120));
    p.setFont(Picture_Font(Face::Sans, 12, false, true));
    p.drawText(QRectF(page.left(), page.bottom() - 26, page.width(), 18), Qt::AlignCenter, weekday);
}

// A tear-off calendar page whose lower right corner turns up to show the
// next day beneath.
void Paint_Calendar_Logo(QPainter& p, int frame) {
    const QRectF area(0, 0, 173, 165);
    QRadialGradient glow(QPointF(70, 60), 130);
    glow.setColorAt(0, QColor(246, 249, 255));
    glow.setColorAt(1, QColor(196, 212, 238));
    p.fillRect(area, glow);

    const QRectF page(25, 22, 123, 126);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 30, 60, 50));
    p.drawRoundedRect(page.translated(4, 4), 2, 2);
    Paint_Page(p, page, QStringLiteral("17"), QStringLiteral("Monday"), QColor(236, 236, 230));

    const double lift = Corner_Lift(frame);
    const double right = page.right();
    const double bottom = page.bottom();
    QPolygonF top_page({page.topLeft(), page.topRight(), QPointF(right, bottom - lift),
                        QPointF(right - lift, bottom), page.bottomLeft()});
    p.save();
    QPainterPath clip;
    clip.addPolygon(top_page);
    p.setClipPath(clip);
    Paint_Page(p, page, QStringLiteral("16"), QStringLiteral("Sunday"), QColor(255, 255, 252));
    // The lifted flap's shadow falls on the page it still belongs to.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawPolygon(QPolygonF({QPointF(right, bottom - lift), QPointF(right - lift, bottom),
                             QPointF(right - lift - 4, bottom - lift - 4)}));
    p.restore();

    // The flap is the corner folded over the line between its two ends.
    const QPolygonF flap({QPointF(right, bottom - lift), QPointF(right - lift, bottom),
                          QPointF(right - lift, bottom - lift)});
    QLinearGradient fold(QPointF(right - lift / 2, bottom - lift / 2),
                         QPointF(right - lift, bottom - lift));
    fold.setColorAt(0, QColor(208, 206, 196));
    fold.setColorAt(1, QColor(250, 250, 244));
    p.setBrush(fold);
    p.setPen(QPen(QColor(160, 158, 150), 0.8));
    p.drawPolygon(flap);

    // Two rings bind the pad at the top.
    for (const double x : {page.left() + 13, page.right() - 13}) {
        p.setPen(QPen(QColor(60, 60, 70), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(x, page.top() - 8), QPointF(x, page.top() + 4));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 20, 20));
        p.drawEllipse(QPointF(x, page.top() + 5), 2.5, 2.5);
    }
}

// A green badge with a gold sun rising over a hill; the label on top of it
// carries the words.
void Paint_Origin_Emblem(QPainter& p) {
    const QRectF badge(1, 1, 102, 94);
    QLinearGradient green(badge.topLeft(), badge.bottomLeft());
    green.setColorAt(0, QColor(20, 140, 72));
    green.setColorAt(1, QColor(0, 84, 44));
    p.setPen(QPen(Gold, 2));
    p.setBrush(green);
    p.drawRoundedRect(badge, 10, 10);

    const QPointF sun(52, 46);
    p.save();
    QPainterPath sky;
    sky.addRect(QRectF(0, 0, 104, sun.y()));
    p.setClipPath(sky);
    p.setPen(Qt::NoPen);
    p.setBrush(Gold);
    for (int ray = 0; ray < 9; ++ray) {
        const double angle = std::numbers::pi + (ray + 0.5) * std::numbers::pi / 9;
        const double spread = 0.09;
        const auto at = [&](double a, double r) {
            return sun + QPointF(std::cos(a), std::sin(a)) * r;
        };
        p.drawPolygon(QPolygonF({at(angle - spread, 17), at(angle, 31), at(angle + spread, 17)}));
    }
    p.drawEllipse(sun, 14, 14);
    p.restore();

    QPainterPath hill;
    hill.moveTo(6, sun.y() + 4);
    hill.cubicTo(30, sun.y() - 6, 70, sun.y() - 6, 98, sun.y() + 4);
    hill.lineTo(98, sun.y() + 6);
    hill.lineTo(6, sun.y() + 6);
    hill.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 70, 36));
    p.drawPath(hill);
    p.setPen(QPen(Gold, 1.6));
    p.drawLine(QPointF(10, sun.y() + 6), QPointF(94, sun.y() + 6));
}

// A rounded gold button with its word.
void Paint_Donate_Button(QPainter& p) {
    const QRectF button(1, 1, 98, 30);
    QLinearGradient gold(button.topLeft(), button.bottomLeft());
    gold.setColorAt(0, QColor(255, 224, 120));
    gold.setColorAt(1, QColor(240, 160, 30));
    p.setPen(QPen(QColor(176, 112, 18), 1.2));
    p.setBrush(gold);
    p.drawRoundedRect(button, 15, 15);
    QLinearGradient shine(button.topLeft(), QPointF(0, 16));
    shine.setColorAt(0, QColor(255, 255, 255, 150));
    shine.setColorAt(1, QColor(255, 255, 255, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawRoundedRect(QRectF(6, 3, 88, 13), 6.5, 6.5);
    p.setPen(Navy);
    p.setFont(Picture_Font(Face::Sans, 15, true, true));
    p.drawText(button, Qt::AlignCenter, QStringLiteral("Donate"));
}

}  // namespace

QSize About_Picture_Size(About_Picture picture) {
    switch (picture) {
        case About_Picture::Banner:
            return QSize(611, 67);
        case About_Picture::Calendar_Logo:
            return QSize(173, 165);
        case About_Picture::Origin_Emblem:
            return QSize(104, 96);
        case About_Picture::Donate_Button:
            return QSize(100, 32);
    }
    return QSize();
}

void Paint_About_Picture(QPainter& painter, About_Picture picture, const QRectF& area, int frame) {
    const QSize design = About_Picture_Size(picture);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setClipRect(area, Qt::IntersectClip);
    painter.translate(area.topLeft());
    painter.scale(area.width() / design.width(), area.height() / design.height());
    switch (picture) {
        case About_Picture::Banner:
            Paint_Banner(painter);
            break;
        case About_Picture::Calendar_Logo:
            Paint_Calendar_Logo(painter, frame);
            break;
        case About_Picture::Origin_Emblem:
            Paint_Origin_Emblem(painter);
            break;
        case About_Picture::Donate_Button:
            Paint_Donate_Button(painter);
            break;
    }
    painter.restore();
}

Drawn_Picture::Drawn_Picture(About_Picture picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
    resize(About_Picture_Size(picture));
}

void Drawn_Picture::Set_Frame(int frame) {
    if (frame != frame_) {
        frame_ = frame;
        update();
    }
}

void Drawn_Picture::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    Paint_About_Picture(painter, picture_, QRectF(rect()), frame_);
}

Animated_Logo::Animated_Logo(QWidget* parent)
    : Drawn_Picture(About_Picture::Calendar_Logo, parent) {
    timer_.setInterval(Calendar_Logo_Frame_Interval);
    connect(&timer_, &QTimer::timeout, this,
            [this] { Set_Frame((Frame() + 1) % Calendar_Logo_Frame_Count); });
}

void Animated_Logo::Start_Animation() {
    Set_Frame(0);
    timer_.start();
}

void Animated_Logo::Stop_Animation() {
    timer_.stop();
}

}  // namespace tessaly
