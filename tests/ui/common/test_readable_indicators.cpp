#include "ui/common/readable_indicators.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QPainter>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

#include "test_support/desktop_themes.h"
#include "widgets/contrast.h"

namespace tessaly {
namespace {

using namespace tessaly::test;

QPalette Light_Palette() {
    return std::unique_ptr<QStyle>(QStyleFactory::create(QStringLiteral("Fusion")))
        ->standardPalette();
}

// Adwaita-dark as the desktop's Qt theme hands it over: a dark window with
// a darker base, light text.
QPalette Gtk_Dark_Palette() {
    QPalette dark = Dark_Fusion_Palette();
    dark.setColor(QPalette::Window, QColor(0x32, 0x32, 0x32));
    dark.setColor(QPalette::Base, QColor(0x24, 0x24, 0x24));
    dark.setColor(QPalette::Text, QColor(0xf0, 0xf0, 0xf0));
    dark.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));
    return dark;
}

const Desktop_Theme Light{"Light", &Light_Palette};
const Desktop_Theme Gtk_Dark{"Gtk_Dark", &Gtk_Dark_Palette};

class Readable_Indicators_Test : public ::testing::TestWithParam<Desktop_Theme> {
protected:
    void SetUp() override { Use_Readable_Indicators(); }

    Scoped_Desktop_Theme theme_{GetParam().Palette()};
};

QRect Indicator_Of(QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    const bool radio = qobject_cast<QRadioButton*>(&button) != nullptr;
    return button.style()->subElementRect(
        radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, &button);
}

// The outline of an empty box or circle stands out from the window, and
// the tick or dot from the box, by at least 3:1 (what a control that is not
// text needs), in light and dark themes alike.
TEST_P(Readable_Indicators_Test, OutlinesAndMarksStandOutByThreeToOne) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* unchecked_box = new QCheckBox(QStringLiteral("Year not known"));
    auto* checked_box = new QCheckBox(QStringLiteral("Year not known"));
    checked_box->setChecked(true);
    auto* other = new QRadioButton(QStringLiteral("Ascending"));
    auto* chosen = new QRadioButton(QStringLiteral("Descending"));
    chosen->setChecked(true);
    for (QWidget* widget :
         {static_cast<QWidget*>(unchecked_box), static_cast<QWidget*>(checked_box),
          static_cast<QWidget*>(other), static_cast<QWidget*>(chosen)}) {
        layout->addWidget(widget);
    }
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    for (QAbstractButton* empty :
         {static_cast<QAbstractButton*>(unchecked_box), static_cast<QAbstractButton*>(other)}) {
        SCOPED_TRACE(empty->metaObject()->className());
        // Across the middle of the top edge, from the window into the box:
        // the outline is the pixel least like the window.
        const QRect indicator = Indicator_Of(*empty);
        const QImage shot = empty->grab().toImage();
        const QColor window_colour = empty->palette().color(QPalette::Window);
        double outline = 1.0;
        for (int y = indicator.top() - 2; y <= indicator.top() + 2; ++y) {
            if (y >= 0) {
                outline = std::max(
                    outline,
                    Contrast_Ratio(QColor(shot.pixel(indicator.center().x(), y)), window_colour));
            }
        }
        EXPECT_GE(outline, 3.0);
    }
    for (QAbstractButton* marked :
         {static_cast<QAbstractButton*>(checked_box), static_cast<QAbstractButton*>(chosen)}) {
        SCOPED_TRACE(marked->metaObject()->className());
        const QRect inside = Indicator_Of(*marked).adjusted(3, 3, -3, -3);
        const Ink ink = Ink_In(marked->grab().toImage(), inside);
        EXPECT_GE(Contrast_Ratio(ink.Text, ink.Background), 3.0);
    }
}

// The menu bar's overflow arrows are drawn in the window's text colour, so
// they read on the menu bar in any theme.
TEST_P(Readable_Indicators_Test, OverflowArrowsReadOnTheWindowAndPointAlongTheBar) {
    QImage pictures[2];
    for (const bool vertical : {false, true}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        const QIcon icon = QApplication::style()->standardIcon(
            vertical ? QStyle::SP_ToolBarVerticalExtensionButton
                     : QStyle::SP_ToolBarHorizontalExtensionButton);
        QImage shot(16, 16, QImage::Format_ARGB32);
        shot.fill(QApplication::palette().color(QPalette::Window));
        QPainter(&shot).drawPixmap(0, 0, icon.pixmap(16));
        const Ink ink = Ink_In(shot, shot.rect());
        EXPECT_GE(Contrast_Ratio(ink.Text, ink.Background), 3.0);
        pictures[vertical ? 1 : 0] = shot;
    }
    EXPECT_NE(pictures[1], pictures[0]) << "the vertical bar's arrows point down";
}

INSTANTIATE_TEST_SUITE_P(Desktop_Themes, Readable_Indicators_Test,
                         ::testing::Values(Light, Gtk_Dark, Dark_Fusion, High_Contrast),
                         [](const auto& theme) { return Theme_Name(theme.param); });

TEST(Readable_Indicators, AWidgetsOwnInstanceKeepsTheApplicationsBaseStyle) {
    Scoped_Desktop_Theme theme(Light_Palette());
    Use_Readable_Indicators();
    Use_Readable_Indicators();
    auto* style = qobject_cast<Readable_Indicator_Style*>(QApplication::style());
    ASSERT_NE(style, nullptr);
    // Not a proxy of a proxy.
    EXPECT_EQ(qobject_cast<Readable_Indicator_Style*>(style->baseStyle()), nullptr);
    const std::unique_ptr<QStyle> own(New_Readable_Indicator_Style());
    auto* own_style = qobject_cast<Readable_Indicator_Style*>(own.get());
    ASSERT_NE(own_style, nullptr);
    EXPECT_EQ(own_style->baseStyle()->name(), style->baseStyle()->name());
}

}  // namespace
}  // namespace tessaly
