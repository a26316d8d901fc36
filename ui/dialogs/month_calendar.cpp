#include "ui/dialogs/month_calendar.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTextCharFormat>

namespace tessaly {

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

    // Reached by mouse only: no part of the calendar is a tab stop.
    for (QWidget* child : findChildren<QWidget*>()) {
        if ((child->focusPolicy() & Qt::TabFocus) != 0) {
            child->setFocusPolicy(Qt::ClickFocus);
        }
    }
    setFocusPolicy(Qt::ClickFocus);
}

void Month_Calendar::Set_Today(QDate today, const QString& shown_as) {
    if (today != today_) {
        today_ = today;
        updateCells();
    }
    today_line_->setText(tr("Today: %1").arg(shown_as));
}

QString Month_Calendar::Today_Line() const {
    return today_line_->text();
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
    painter->setPen(QPen(QColor(200, 20, 20), 1.5));
    painter->setBrush(Qt::NoBrush);
    painter->drawEllipse(QRectF(rect).adjusted(1.5, 1.5, -1.5, -1.5));
    painter->restore();
}

}  // namespace tessaly
