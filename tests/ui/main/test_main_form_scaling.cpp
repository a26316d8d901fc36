#include "main_form_fixture.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <vector>

#include "ui/main/radio_group.h"

#include "test_support/wait_until.h"

namespace {

using namespace tessaly;
using namespace tessaly::test;

using Scaling_Test = Main_Form_Test;

// Client sizes from the smallest the window takes to the whole screen.
std::vector<QSize> Sizes_Through(TMainForm1& window) {
    const QSize least = window.minimumSize();
    const QSize most = window.screen()->availableGeometry().size();
    std::vector<QSize> sizes;
    for (int step = 0; step <= 8; ++step) {
        sizes.emplace_back(least.width() + (most.width() - least.width()) * step / 8,
                           least.height() + (most.height() - least.height()) * step / 8);
    }
    // Back down again: the grid must shrink as well as grow.
    sizes.push_back(least);
    sizes.emplace_back(700, 500);
    return sizes;
}

TEST_F(Scaling_Test, TheGridsTextGrowsAndShrinksWithTheLabels) {
    Write_Data({{"Ada and Felix", 2021, 12, 14, "Wedding", "Flowers"}});
    Start();
    // Recorded at the design size, as the scaling record has them: the grid
    // and the label both start from the same design font.
    const QFont label_design = form->Label1->font();
    const QFont grid_design = Grid().Columns()[1].Font();
    ASSERT_EQ(QFontInfo(label_design).pixelSize(), QFontInfo(grid_design).pixelSize());
    int last_points = -1;
    int last_row = -1;
    for (const QSize size : Sizes_Through(*form)) {
        SCOPED_TRACE(testing::Message() << size.width() << " x " << size.height());
        form->resize(size);
        TESSALY_WAIT_UNTIL_EQ(form->size(), size);
        const int points = form->Label1->font().pointSize();
        ASSERT_GT(points, 0);
        for (int col = 0; col < Grid().Col_Count(); ++col) {
            SCOPED_TRACE(col);
            const TFormatColumnItem& item = Grid().Columns()[col];
            EXPECT_EQ(item.Font().pointSize(), points);
            EXPECT_EQ(item.HeaderFont().pointSize(), points);
            // Each column keeps its own weight.
            EXPECT_EQ(item.Font().bold(), col == 0);
            EXPECT_EQ(item.HeaderFont().bold(), col != 6);
        }
        // Rows follow the font: a line of text fits, and a larger font gets
        // taller rows.
        const int row = Grid().Row_Height(1);
        EXPECT_EQ(Grid().Row_Height(0), row);
        EXPECT_GE(row, QFontMetrics(Grid().Columns()[0].Font()).height() + 4);
        if (last_points > 0) {
            EXPECT_EQ(points > last_points, row > last_row) << points << " after " << last_points;
        }
        last_points = points;
        last_row = row;
    }
}

TEST_F(Scaling_Test, RowsAreTallerInALargerWindow) {
    Start();
    form->resize(form->minimumSize());
    TESSALY_WAIT_UNTIL_EQ(form->size(), form->minimumSize());
    const int small = Grid().Row_Height(1);
    form->showMaximized();
    TESSALY_WAIT_UNTIL(form->isMaximized());
    TESSALY_WAIT_UNTIL(Grid().Row_Height(1) > small);
}

TEST_F(Scaling_Test, ButtonIconsFollowTheButtonsFonts) {
    Start();
    QPushButton& button = *form->Add_Entry_BitBtn;
    const int design_icon = button.iconSize().width();
    form->resize(form->width() * 2, form->height() * 2);
    TESSALY_WAIT_UNTIL(button.iconSize().width() > design_icon);
    const int large = button.iconSize().width();
    // Drawn at that size, not a small glyph in a large space.
    EXPECT_EQ(button.icon().actualSize(button.iconSize()), button.iconSize());
    form->resize(form->minimumSize());
    TESSALY_WAIT_UNTIL(button.iconSize().width() < design_icon);
    EXPECT_LT(button.iconSize().width(), large);
    EXPECT_EQ(button.iconSize().width(), button.iconSize().height());
}

// What the style draws at a size of its own: radio and check indicators.
struct Style_Sizes {
    int Radio = 0;
    int Check = 0;
};

Style_Sizes Style_Sizes_Of(TMainForm1& window) {
    const QRadioButton& radio = *window.Sort_By_Column_RadioGroup->Button(0);
    const QCheckBox& check = *window.Auto_Display_Coming_Events_Report_CheckBox;
    return {radio.style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, &radio),
            check.style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &check)};
}

TEST_F(Scaling_Test, RadioAndCheckIndicatorsFollowTheFonts) {
    Start();
    form->resize(form->width() * 2, form->height() * 2);
    TESSALY_WAIT_UNTIL(form->Label1->font().pointSize() >= 20);
    const Style_Sizes large = Style_Sizes_Of(*form);
    form->resize(form->minimumSize());
    TESSALY_WAIT_UNTIL_EQ(form->size(), form->minimumSize());
    const Style_Sizes small = Style_Sizes_Of(*form);
    EXPECT_GT(large.Radio, small.Radio);
    EXPECT_GT(large.Check, small.Check);
    // In proportion: about twice the design's against about half of it.
    EXPECT_GE(large.Radio, 3 * small.Radio);
}

// The lines of a label's rich text as the label lays them out.
QStringList Label_Lines(const QLabel& label) {
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(label.font());
    document.setHtml(label.text());
    document.setTextWidth(label.contentsRect().width());
    // Laid out only when asked.
    static_cast<void>(document.size());
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines << block.text().mid(line.textStart(), line.textLength());
        }
    }
    return lines;
}

TEST_F(Scaling_Test, TheAutoRunNoteNeverBreaksStartUp) {
    Start();
    const int height = form->height();
    for (int width = form->minimumWidth(); width < form->minimumWidth() + 500; width += 3) {
        form->resize(width, height);
        const QStringList lines = Label_Lines(*form->Label3);
        ASSERT_GT(lines.size(), 0);
        for (const QString& line : lines) {
            EXPECT_FALSE(line.trimmed().endsWith(u'-')) << width << ": " << line.toStdString();
        }
    }
}

}  // namespace
