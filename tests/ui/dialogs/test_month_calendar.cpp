#include "ui/dialogs/month_calendar.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <vector>

#include "test_support/desktop_themes.h"
#include "test_support/wait_until.h"
#include "test_support/wine.h"
#include "widgets/contrast.h"

namespace tessaly {
namespace {

using namespace tessaly::test;

QPalette Light_Palette() {
    QPalette light;
    light.setColor(QPalette::Window, QColor(0xef, 0xef, 0xef));
    light.setColor(QPalette::WindowText, Qt::black);
    return light;
}

const Desktop_Theme Light{"Light", &Light_Palette};

class Month_Calendar_Theme_Test : public ::testing::TestWithParam<Desktop_Theme> {};

double Contrast_Of(const Ink& ink) {
    return Contrast_Ratio(ink.Text, ink.Background);
}

// The theme arrives while the calendar is up, as when the desktop's colours
// are changed: what it shows must read in the new colours.
TEST_P(Month_Calendar_Theme_Test, EveryDayNumberDayNameAndTheMonthReadInTheTheme) {
    Month_Calendar calendar;
    calendar.resize(211, 193);
    // December 2026 begins on a Tuesday and ends on a Thursday, so the page
    // shows days of November and January too; the 20th is a Sunday.
    calendar.setSelectedDate(QDate(2026, 12, 20));
    calendar.Set_Today(QDate(2026, 12, 7), QStringLiteral("07/12/2026"));
    calendar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&calendar));
    const QPalette palette = GetParam().Palette();
    Scoped_Desktop_Theme theme(palette);
    TESSALY_WAIT_UNTIL_EQ(calendar.palette().color(QPalette::Base), palette.color(QPalette::Base));

    // All in one picture of the calendar, which paints its own background.
    const QImage shot = calendar.grab().toImage();
    const auto in_shot = [&calendar](const QWidget& part, const QRect& rect) {
        return rect.translated(part.mapTo(&calendar, QPoint(0, 0)));
    };
    auto* days = calendar.findChild<QTableView*>();
    ASSERT_NE(days, nullptr);
    const QModelIndexList selected = days->selectionModel()->selectedIndexes();
    ASSERT_EQ(selected.size(), 1);
    // Days of the months either side read, yet fainter than the month's own.
    std::vector<double> weekdays;
    std::vector<double> other_months;
    for (int row = 0; row < days->model()->rowCount(); ++row) {
        for (int col = 0; col < days->model()->columnCount(); ++col) {
            const QModelIndex cell = days->model()->index(row, col);
            SCOPED_TRACE(days->model()->data(cell).toString().toStdString());
            const double contrast = Contrast_Of(Ink_In(
                shot, in_shot(*days->viewport(), days->visualRect(cell).adjusted(1, 1, -1, -1))));
            EXPECT_GE(contrast, cell == selected[0] ? Theme_Pair_Contrast : Text_Contrast);
            const int day = days->model()->data(cell).toInt();
            if ((row == 1 && day > 7) || (row > 4 && day < 15)) {
                other_months.push_back(contrast);
            } else if (row > 0 && col < 5 && cell != selected[0]) {
                weekdays.push_back(contrast);
            }
        }
    }
    if (test::Running_Under_Wine()) {
        GTEST_SKIP() << test::Wine_Text_Metrics;
    }
    ASSERT_GT(other_months.size(), 3u);
    ASSERT_GT(weekdays.size(), 10u);
    EXPECT_LT(*std::max_element(other_months.begin(), other_months.end()),
              *std::min_element(weekdays.begin(), weekdays.end()) - 1.0);

    for (const char* name : {"qt_calendar_monthbutton", "qt_calendar_yearbutton"}) {
        SCOPED_TRACE(name);
        auto* button = calendar.findChild<QToolButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr);
        // The text only: the month's menu arrow sits at the right.
        const QRect text = button->rect().adjusted(2, 2, -button->width() / 4, -2);
        EXPECT_GE(Contrast_Of(Ink_In(shot, in_shot(*button, text))), Theme_Pair_Contrast);
    }
    // The month arrows: the desktop's icons came out as "‹·" on some
    // themes; the calendar's own read like the month beside them.
    for (const char* name : {"qt_calendar_prevmonth", "qt_calendar_nextmonth"}) {
        SCOPED_TRACE(name);
        auto* arrow = calendar.findChild<QToolButton*>(QString::fromLatin1(name));
        ASSERT_NE(arrow, nullptr);
        EXPECT_FALSE(arrow->icon().isNull());
        EXPECT_GE(Contrast_Of(Ink_In(shot, in_shot(*arrow, arrow->rect().adjusted(2, 2, -2, -2)))),
                  Theme_Pair_Contrast);
    }
    const auto* today = calendar.findChild<QLabel*>();
    ASSERT_NE(today, nullptr);
    EXPECT_GE(Contrast_Of(Ink_In(shot, in_shot(*today, today->rect()))), Text_Contrast);
}

INSTANTIATE_TEST_SUITE_P(Desktop_Themes, Month_Calendar_Theme_Test,
                         ::testing::Values(Light, Dark_Fusion, High_Contrast),
                         [](const auto& theme) { return Theme_Name(theme.param); });

}  // namespace
}  // namespace tessaly
