#include "main_form_fixture.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

#include "test_support/desktop_themes.h"
#include "ui/main/grid_selection.h"
#include "ui/main/radio_group.h"
#include "widgets/contrast.h"

namespace {

using namespace tessaly;
using namespace tessaly::test;

// The window under a dark or a high-contrast desktop theme.
class Main_Form_Theme_Test : public Main_Form_Test,
                             public ::testing::WithParamInterface<Desktop_Theme> {
protected:
    Scoped_Desktop_Theme theme_{GetParam().Palette()};
};

double Contrast_Of(const Ink& ink) {
    return Contrast_Ratio(ink.Text, ink.Background);
}

// Where an item's text is drawn, clear of its indicator and frame.
QRect Text_Area(const QRadioButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    return button.style()->subElementRect(QStyle::SE_RadioButtonContents, &option, &button);
}

QRect Title_Area(const QGroupBox& group) {
    QStyleOptionGroupBox option;
    option.initFrom(&group);
    option.text = group.title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    return group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel,
                                         &group);
}

TEST_P(Main_Form_Theme_Test, GridTextReadsInEveryColumnInTheHeaderAndInTheSelection) {
    Write_Data({{"Ada and Felix", 2021, 12, 14, "Wedding", "Flowers"},
                {"Barnaby Ostler", 1987, 10, 12, "Birthday", "Ring him"}});
    Start();
    Select_Row(Grid(), 1);
    const QImage shot = Grid().grab().toImage();
    const QPalette& theme = Grid().palette();
    for (int col = 0; col < Grid().Col_Count(); ++col) {
        SCOPED_TRACE(col);
        const auto ink = [&](int row) {
            return Ink_In(shot, Grid().Cell_Rect(col, row).adjusted(2, 2, -2, -2));
        };
        EXPECT_GE(Contrast_Of(ink(0)), Text_Contrast) << "header";
        EXPECT_GE(Contrast_Of(ink(2)), Text_Contrast) << "entry";
        // The selection keeps the theme's own pair, which every other
        // program shows too.
        const Ink selected = ink(1);
        EXPECT_EQ(selected.Background, theme.color(QPalette::Active, QPalette::Highlight));
        EXPECT_LE(Distance(selected.Text.rgb(),
                           theme.color(QPalette::Active, QPalette::HighlightedText).rgb()),
                  60);
        EXPECT_GE(Contrast_Of(selected), Theme_Pair_Contrast);
    }
}

TEST_P(Main_Form_Theme_Test, RadioGroupTitlesAndItemsRead) {
    Start();
    // All in one picture of the window, which paints the background they
    // sit on.
    const QImage shot = form->grab().toImage();
    const auto in_shot = [this](const QWidget& part, const QRect& rect) {
        return rect.translated(part.mapTo(form.get(), QPoint(0, 0)));
    };
    for (const Radio_Group* group :
         {form->Sort_By_Column_RadioGroup, form->Ascending_Descending_RadioGroup}) {
        SCOPED_TRACE(group->objectName().toStdString());
        ASSERT_GT(group->Items().size(), 1);
        EXPECT_GE(Contrast_Of(Ink_In(shot, in_shot(*group, Title_Area(*group)))), Text_Contrast);
        for (int i = 0; i < group->Items().size(); ++i) {
            SCOPED_TRACE(i);
            const QRadioButton& button = *group->Button(i);
            EXPECT_GE(Contrast_Of(Ink_In(shot, in_shot(button, Text_Area(button)))), Text_Contrast);
        }
    }
    EXPECT_GE(Contrast_Of(Ink_In(shot, in_shot(*form->Label3, form->Label3->rect()))),
              Text_Contrast);
}

INSTANTIATE_TEST_SUITE_P(Desktop_Themes, Main_Form_Theme_Test,
                         ::testing::Values(Dark_Fusion, High_Contrast),
                         [](const auto& theme) { return Theme_Name(theme.param); });

}  // namespace
