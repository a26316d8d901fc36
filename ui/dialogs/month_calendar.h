#pragma once

#include <QCalendarWidget>
#include <QDate>

class QLabel;
class QTableView;

namespace tessaly {

// A month calendar selecting one whole day, with a line showing today's date
// at its bottom and a circle that can mark today's cell. Its colours follow
// the desktop's, adjusted where a day would not read in them.
class Month_Calendar final : public QCalendarWidget {
    Q_OBJECT

public:
    explicit Month_Calendar(QWidget* parent = nullptr);

    // Today is handed in, so that the calendar follows the program's clock.
    void Set_Today(QDate today, const QString& shown_as);
    QDate Today() const { return today_; }
    QString Today_Line() const;

    void Set_Today_Circle_Shown(bool shown);
    bool Today_Circle_Shown() const { return today_circle_shown_; }

signals:
    // A digit typed while the days have the focus: the start of a date,
    // which the calendar's owner takes in a field of its own.
    void Date_Typing_Started(const QString& typed);

protected:
    void paintCell(QPainter* painter, const QRect& rect, QDate date) const override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keeps every day number, day name and the month and year readable in
    // the calendar's current colours.
    void Fit_Colours();
    // The month arrows, drawn in the colour of the month's name, and in
    // the button's text colour while the mouse is over them.
    void Draw_Month_Arrows(const QColor& colour, const QColor& hovered);
    // Names the parts a screen reader reaches; the day table's name holds
    // the selected date.
    void Name_Parts();

    QLabel* today_line_ = nullptr;
    QTableView* days_ = nullptr;
    QString today_text_;
    QDate today_;
    bool today_circle_shown_ = false;
};

}  // namespace tessaly
