#include "ui/dialogs/month_calendar.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QTableView>
#include <QTextCharFormat>
#include <QToolButton>

#include <cmath>

#include "widgets/contrast.h"

namespace tessaly {

namespace {

// Weekends are red, as the calendar marks them by default.
const QColor Weekend_Red(Qt::red);
const QColor Today_Circle_Red(200, 20, 20);
// A mark that is not text needs less contrast to be seen.
constexpr double Mark_Contrast = 3.0;

// A chevron pointing left or right, at the sizes a tool button asks for:
// on the bar, and on the button's own face while the mouse is over it.
QIcon Arrow_Icon(bool left, const QColor& colour, const QColor& hovered) {
    QIcon icon;
    for (const auto& [mode, ink] :
         {std::pair{QIcon::Normal, colour}, std::pair{QIcon::Active, hovered}}) {
        for (const int side : {16, 24, 32}) {
            QPixmap pixmap(side, side);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(
                QPen(ink, std::max(2.0, side / 8.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            const double tip = left ? side * 0.3 : side * 0.7;
            const double tail = left ? side * 0.65 : side * 0.35;
            const QPointF chevron[] = {{tail, side * 0.2}, {tip, side * 0.5}, {tail, side * 0.8}};
            painter.drawPolyline(chevron, 3);
            painter.end();
            icon.addPixmap(pixmap, mode);
        }
    }
    return icon;
}

}  // namespace

Month_Calendar::Month_Calendar(QWidget* parent) : QCalendarWidget(parent) {
    setSelectionMode(QCalendarWidget::SingleSelection);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    // Three-letter day names fit the narrow columns only in a smaller face.
    QTextCharFormat header = headerTextFormat();
    QFont header_font = font();
    header_font.setPixelSize(12);
    header.setFont(header_font);
    setHeaderTextFormat(header);
    setGridVisible(false);
    // Its own small date box, opened by typing on the days, mixed the typed
    // digits up with the shown date; the dialog has a date field instead.
    setDateEditEnabled(false);
    // The program's dates run from year 1 to 9999.
    setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));

    today_line_ = new QLabel(this);
    today_line_->setAlignment(Qt::AlignCenter);
    today_line_->setAutoFillBackground(true);
    QFont bold = today_line_->font();
    bold.setBold(true);
    today_line_->setFont(bold);
    // The calendar lays out its navigation bar and day grid in a box; the
    // today line joins them so that it stays inside the calendar's own area.
    if (auto* box = qobject_cast<QBoxLayout*>(layout())) {
        box->addWidget(today_line_);
    }

    // No part of the calendar is a tab stop; the keyboard reaches the days
    // through the today line's mnemonic, then moves with the arrows, Home,
    // End and Page Up / Page Down.
    for (QWidget* child : findChildren<QWidget*>()) {
        if ((child->focusPolicy() & Qt::TabFocus) != 0) {
            child->setFocusPolicy(Qt::ClickFocus);
        }
    }
    setFocusPolicy(Qt::ClickFocus);
    days_ = findChild<QTableView*>();
    if (days_ != nullptr) {
        today_line_->setBuddy(days_);
        days_->installEventFilter(this);
    }
    Name_Parts();
    connect(this, &QCalendarWidget::selectionChanged, this, &Month_Calendar::Name_Parts);
    Fit_Colours();
}

void Month_Calendar::Name_Parts() {
    setAccessibleName(tr("Date"));
    const QString date = QLocale().toString(selectedDate(), QLocale::LongFormat);
    // The days read as bare numbers; the day table's name carries the date.
    if (days_ != nullptr) {
        days_->setAccessibleName(tr("Date: %1").arg(date));
    }
    const std::pair<const char*, QString> parts[] = {
        {"qt_calendar_prevmonth", tr("Previous month")},
        {"qt_calendar_nextmonth", tr("Next month")},
        {"qt_calendar_monthbutton", tr("Month")},
        {"qt_calendar_yearbutton", tr("Year")},
        {"qt_calendar_yearedit", tr("Year")},
    };
    for (const auto& [name, text] : parts) {
        if (auto* part = findChild<QWidget*>(QString::fromLatin1(name));
            part != nullptr && part->accessibleName().isEmpty()) {
            part->setAccessibleName(text);
        }
    }
}

void Month_Calendar::changeEvent(QEvent* event) {
    QCalendarWidget::changeEvent(event);
    // The calendar puts the style's arrows back when the direction or the
    // style changes.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange ||
        event->type() == QEvent::LayoutDirectionChange) {
        Fit_Colours();
    }
}

bool Month_Calendar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == days_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString typed = key->text();
        if (typed.size() == 1 && typed[0] >= QLatin1Char('0') && typed[0] <= QLatin1Char('9') &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            emit Date_Typing_Started(typed);
            return true;
        }
    }
    return QCalendarWidget::eventFilter(watched, event);
}

void Month_Calendar::Draw_Month_Arrows(const QColor& colour, const QColor& hovered) {
    for (const auto& [name, left] :
         {std::pair{"qt_calendar_prevmonth", true}, std::pair{"qt_calendar_nextmonth", false}}) {
        if (auto* arrow = findChild<QToolButton*>(QString::fromLatin1(name))) {
            arrow->setIcon(Arrow_Icon(left != isRightToLeft(), colour, hovered));
        }
    }
}

void Month_Calendar::Fit_Colours() {
    // Read from the calendar's own palette, which only ever follows the
    // desktop: the adjusted roles go to its parts.
    const QPalette& theme = palette();
    const QColor base = theme.color(QPalette::Active, QPalette::Base);
    const QColor text = theme.color(QPalette::Active, QPalette::Text);

    // The day names sit on the theme's alternate colour; one that does not
    // go with its text colour gives way to the page's colour.
    QTextCharFormat header = headerTextFormat();
    const QColor alternate = theme.color(QPalette::Active, QPalette::AlternateBase);
    const QColor header_background =
        Contrast_Ratio(text, alternate) >= Theme_Pair_Contrast ? alternate : base;
    header.setBackground(header_background);
    header.setForeground(Readable_Text(text, header_background, Theme_Pair_Contrast));
    setHeaderTextFormat(header);

    // The weekend's red serves its day names on the header's colour too,
    // which on a light theme is a shade darker than the page.
    QTextCharFormat weekend;
    QColor weekend_red = Readable_Tint(Weekend_Red, base);
    if (Contrast_Ratio(weekend_red, header_background) < Text_Contrast) {
        weekend_red = Readable_Tint(weekend_red, header_background);
    }
    weekend.setForeground(weekend_red);
    setWeekdayTextFormat(Qt::Saturday, weekend);
    setWeekdayTextFormat(Qt::Sunday, weekend);

    // The selected day and the month and year above are drawn in the
    // highlighted text on the highlight. Days of the months either side are
    // drawn in the disabled text colour, which many themes leave as their
    // text colour or make too faint to read: it becomes halfway between the
    // text and the page, no fainter than reads.
    QPalette parts;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        parts.setColor(group, QPalette::HighlightedText,
                       Readable_Text(theme.color(group, QPalette::HighlightedText),
                                     theme.color(group, QPalette::Highlight), Theme_Pair_Contrast));
    }
    // The desktop's arrow icons may be missing or drawn for another
    // background; ours take the colour of the month's name beside them.
    Draw_Month_Arrows(
        parts.color(QPalette::Active, QPalette::HighlightedText),
        Readable_Text(theme.color(QPalette::Active, QPalette::ButtonText),
                      theme.color(QPalette::Active, QPalette::Button), Theme_Pair_Contrast));
    const QColor halfway((text.red() + base.red()) / 2, (text.green() + base.green()) / 2,
                         (text.blue() + base.blue()) / 2);
    parts.setColor(QPalette::Disabled, QPalette::Text, Readable_Tint(halfway, base));
    for (QWidget* part : {static_cast<QWidget*>(findChild<QTableView*>()),
                          findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"))}) {
        if (part != nullptr) {
            part->setPalette(parts);
        }
    }
}

void Month_Calendar::Set_Today(QDate today, const QString& shown_as) {
    if (today != today_) {
        today_ = today;
        updateCells();
    }
    today_text_ = tr("Today: %1").arg(shown_as);
    // The mnemonic's letter is the "d" of "Today".
    today_line_->setText(tr("To&day: %1").arg(QString(shown_as).replace('&', "&&")));
}

QString Month_Calendar::Today_Line() const {
    return today_text_;
}

void Month_Calendar::Set_Today_Circle_Shown(bool shown) {
    if (shown != today_circle_shown_) {
        today_circle_shown_ = shown;
        updateCells();
    }
}

void Month_Calendar::paintCell(QPainter* painter, const QRect& rect, QDate date) const {
    QCalendarWidget::paintCell(painter, rect, date);
    if (!today_circle_shown_ || date != today_) {
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPalette::ColorRole under = date == selectedDate() ? QPalette::Highlight : QPalette::Base;
    painter->setPen(
        QPen(Readable_Tint(Today_Circle_Red, palette().color(under), Mark_Contrast), 1.5));
    painter->setBrush(Qt::NoBrush);
    painter->drawEllipse(QRectF(rect).adjusted(1.5, 1.5, -1.5, -1.5));
    painter->restore();
}

}  // namespace tessaly
