#include "widgets/format_string_grid.h"

#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <stdexcept>
#include <vector>

#include "test_support/desktop_themes.h"
#include "test_support/wine.h"

namespace {

using tessaly::Cell_Alignment;
using tessaly::Cell_Props;
using tessaly::Cell_State;
using tessaly::Grid_Color;
using tessaly::TFormatStringGrid;

QFont Test_Font(int pixels = 15) {
    QFont font("Liberation Serif");
    font.setPixelSize(pixels);
    // Unblended glyphs, so that text pixels can be told by their colour.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

const QColor kHeader(0, 0, 200);
const QColor kData(250, 250, 200);
const QColor kText(0, 0, 0);
const QColor kFixedLine(10, 20, 30);
const QColor kGridLine(40, 50, 60);
const QColor kSelected(200, 0, 0);
const QColor kSelectedText(0, 255, 0);

QRect Cells(int left, int top, int right, int bottom) {
    return {QPoint(left, top), QPoint(right, bottom)};
}

// Bounding box of the pixels in area that differ from background.
QRect Ink(const QImage& image, const QRect& area, const QColor& background) {
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) != background.rgb()) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    return ink;
}

int Count(const QImage& image, const QRect& area, const QColor& colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += image.pixel(x, y) == colour.rgb() ? 1 : 0;
        }
    }
    return count;
}

// Four 80 x 24 columns, one fixed title row, five data rows.
class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid.Set_Col_Count(4);
        grid.Set_Fixed_Cols(0);
        grid.Set_Row_Count(6);
        grid.Set_FixedLineColor(kFixedLine);
        grid.Set_GridLineColor(kGridLine);
        grid.Set_SelectedColor(kSelected);
        grid.Set_SelectedTextColor(kSelectedText);
        for (int col = 0; col < 4; ++col) {
            auto& item = grid.Columns()[col];
            item.Set_Width(80);
            item.Set_HeaderColor(kHeader);
            item.Set_HeaderFont(Test_Font());
            item.Set_Header_Font_Color(kText);
            item.Set_Color(kData);
            item.Set_Font(Test_Font());
            item.Set_Font_Color(kText);
        }
        grid.resize(420, 240);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    QImage Shot() { return grid.grab().toImage(); }
    QRgb Middle(const QImage& image, int col, int row) {
        return image.pixel(grid.Cell_Rect(col, row).center());
    }
    // Delivered to whatever is under the point, as a real click would be.
    void Click(int col, int row, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = {}, bool twice = false) {
        const QPoint point = grid.Cell_Rect(col, row).center();
        QWidget* target = grid.childAt(point);
        const QPoint local = target->mapFrom(&grid, point);
        if (twice) {
            QTest::mouseDClick(target, button, modifiers, local);
        } else {
            QTest::mouseClick(target, button, modifiers, local);
        }
    }
    QWidget* View() { return grid.focusProxy(); }
    // With the focus in the grid, or away in another window.
    QImage Shot_With_Focus(bool focused) {
        if (!elsewhere_) {
            elsewhere_ = std::make_unique<QLineEdit>();
            elsewhere_->show();
        }
        QApplication::setActiveWindow(focused ? static_cast<QWidget*>(&grid) : elsewhere_.get());
        (focused ? View() : elsewhere_.get())->setFocus();
        return Shot();
    }

    TFormatStringGrid grid;
    std::unique_ptr<QLineEdit> elsewhere_;
};

TEST(FormatStringGridTest, StartsAsAStandardGridWithItsColourDefaults) {
    TFormatStringGrid grid;
    EXPECT_EQ(grid.Col_Count(), 5);
    EXPECT_EQ(grid.Row_Count(), 5);
    EXPECT_EQ(grid.Columns().Count(), 5);
    EXPECT_EQ(grid.Col_Width(4), 64);
    EXPECT_EQ(grid.Row_Height(4), 24);
    EXPECT_EQ(grid.Selection(), Cells(1, 1, 1, 1));
    EXPECT_EQ(grid.FixedLineColor(), Grid_Color(Qt::black));
    EXPECT_EQ(grid.GridLineColor(), Grid_Color(QColor(192, 192, 192)));
    EXPECT_EQ(grid.SelectedColor(), Grid_Color(QPalette::Highlight));
    EXPECT_EQ(grid.SelectedTextColor(), Grid_Color(QPalette::HighlightedText));
    EXPECT_EQ(grid.Columns()[4].HeaderColor(), Grid_Color(QPalette::Button));
    EXPECT_EQ(grid.Columns()[4].Color(), Grid_Color(QPalette::Base));
}

TEST(FormatColumnsTest, ColumnsComingBackTakeInitialValuesNotTheirOldFormatting) {
    TFormatStringGrid grid;
    grid.Set_Fixed_Color(QColor(1, 2, 3));
    grid.Set_Color(QColor(4, 5, 6));
    grid.setFont(Test_Font(15));
    grid.Set_Col_Count(7);
    auto& kept = grid.Columns()[1];
    kept.Set_Color(Qt::blue);
    grid.Columns()[5].Set_Color(Qt::red);
    grid.Columns()[5].Set_Alignment(Cell_Alignment::Right);
    grid.Columns()[5].Set_HeaderFont(Test_Font(40));

    grid.Set_Col_Count(3);
    EXPECT_EQ(grid.Columns().Count(), 3);
    EXPECT_THROW(grid.Columns().At(3), std::out_of_range);
    grid.setFont(Test_Font(22));
    grid.Set_Col_Count(7);

    ASSERT_EQ(grid.Columns().Count(), 7);
    EXPECT_EQ(&grid.Columns()[1], &kept);
    EXPECT_EQ(kept.Color(), Grid_Color(Qt::blue));
    for (int col = 3; col < 7; ++col) {
        const auto& item = grid.Columns()[col];
        SCOPED_TRACE(col);
        EXPECT_EQ(item.Index(), col);
        EXPECT_EQ(item.HeaderColor(), Grid_Color(QColor(1, 2, 3)));
        EXPECT_EQ(item.Color(), Grid_Color(QColor(4, 5, 6)));
        EXPECT_EQ(item.HeaderFont(), Test_Font(22));
        EXPECT_EQ(item.Font(), Test_Font(22));
        EXPECT_EQ(item.Alignment(), Cell_Alignment::Left);
        EXPECT_EQ(item.HeaderAlignment(), Cell_Alignment::Left);
    }
    // The items copied the grid's font once; later changes stay away.
    grid.setFont(Test_Font(30));
    EXPECT_EQ(grid.Columns()[6].Font(), Test_Font(22));
    EXPECT_EQ(grid.Columns()[6].HeaderFont(), Test_Font(22));
}

TEST_F(GridTest, CaptionAndWidthAreTheGridsRowZeroTextAndColumnWidth) {
    grid.Columns()[2].Set_Caption("Name");
    grid.Set_Cell(3, 0, "Age");
    grid.Columns()[1].Set_Width(123);
    EXPECT_EQ(grid.Cell(2, 0), "Name");
    EXPECT_EQ(grid.Columns()[3].Caption(), "Age");
    EXPECT_EQ(grid.Col_Width(1), 123);
    EXPECT_EQ(grid.Cell_Rect(1, 2).width(), 123);
    EXPECT_EQ(grid.Cell_Rect(2, 2).left(), grid.Cell_Rect(1, 2).left() + 123 + 1);
}

TEST_F(GridTest, AMovedColumnTakesItsItemCellsAndWidth) {
    for (int col = 0; col < 4; ++col) {
        grid.Columns()[col].Set_Caption(QString("C%1").arg(col));
    }
    auto& moved = grid.Columns()[1];
    moved.Set_Color(Qt::red);
    moved.Set_Width(90);
    grid.Set_Cell(1, 2, "x");

    grid.Move_Column(1, 3);
    EXPECT_EQ(&grid.Columns()[3], &moved);
    EXPECT_EQ(moved.Index(), 3);
    EXPECT_EQ(moved.Caption(), "C1");
    EXPECT_EQ(grid.Columns()[1].Caption(), "C2");
    EXPECT_EQ(grid.Col_Width(3), 90);
    EXPECT_EQ(grid.Cell(3, 2), "x");

    grid.Move_Column(3, 0);
    EXPECT_EQ(&grid.Columns()[0], &moved);
    EXPECT_EQ(grid.Columns()[1].Caption(), "C0");
    EXPECT_EQ(Middle(Shot(), 0, 3), QColor(Qt::red).rgb());
}

TEST_F(GridTest, AssigningColumnsCopiesFormattingAndCaptionsButNotWidths) {
    TFormatStringGrid other;
    other.Set_Col_Count(2);
    other.Columns()[1].Set_Color(Qt::red);
    other.Columns()[1].Set_HeaderAlignment(Cell_Alignment::Centre);
    other.Columns()[1].Set_Caption("From");
    grid.Set_Columns(other.Columns());
    ASSERT_EQ(grid.Col_Count(), 2);
    EXPECT_EQ(grid.Columns()[1].Color(), Grid_Color(Qt::red));
    EXPECT_EQ(grid.Columns()[1].HeaderAlignment(), Cell_Alignment::Centre);
    EXPECT_EQ(grid.Cell(1, 0), "From");
    EXPECT_EQ(grid.Col_Width(1), 80);
}

TEST_F(GridTest, NothingOpensAnEditorOrMovesByTyping) {
    grid.Set_Cell(1, 2, "text");
    grid.Set_Cell(2, 4, "beta");
    Click(1, 2);
    Click(1, 2, Qt::LeftButton, {}, true);
    QTest::keyClick(View(), Qt::Key_F2);
    QTest::keyClicks(View(), "b");
    QTest::keyClick(View(), Qt::Key_Return);
    EXPECT_TRUE(grid.findChildren<QLineEdit*>().isEmpty());
    EXPECT_EQ(grid.Cell(1, 2), "text");
    EXPECT_EQ(grid.Selection(), Cells(1, 2, 1, 2));
    const auto* view = qobject_cast<QAbstractItemView*>(View());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->currentIndex().row(), 2) << "typing moved the view's current cell";
}

TEST_F(GridTest, APressSelectsTheClickedCellAloneWhateverButtonOrModifier) {
    struct Press {
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
    };
    const std::vector<Press> presses = {{Qt::LeftButton, Qt::ShiftModifier},
                                        {Qt::RightButton, {}},
                                        {Qt::LeftButton, Qt::ControlModifier}};
    int row = 2;
    for (const Press& press : presses) {
        grid.Set_Selection(Cells(0, 1, 1, 5));
        Click(3, row, press.button, press.modifiers);
        EXPECT_EQ(grid.Selection(), Cells(3, row, 3, row)) << "row " << row;
        EXPECT_EQ(grid.Col(), 3);
        EXPECT_EQ(grid.Row(), row);
        ++row;
    }
    // The title row is not selectable.
    Click(1, 0);
    EXPECT_EQ(grid.Selection(), Cells(3, 4, 3, 4));
}

TEST_F(GridTest, DraggingAndShiftArrowsSelectARectangleFromTheAnchor) {
    QWidget* viewport = grid.childAt(grid.Cell_Rect(0, 1).center());
    const auto at = [&](int col, int row) {
        return viewport->mapFrom(&grid, grid.Cell_Rect(col, row).center());
    };
    QTest::mousePress(viewport, Qt::LeftButton, {}, at(0, 1));
    QTest::mouseMove(viewport, at(2, 3));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at(2, 3));
    EXPECT_EQ(grid.Selection(), Cells(0, 1, 2, 3));
    EXPECT_EQ(grid.Row(), 3);

    grid.Set_Selection(Cells(3, 4, 1, 2));
    EXPECT_EQ(grid.Selection(), Cells(1, 2, 3, 4));
    EXPECT_EQ(grid.Col(), 3);
    EXPECT_EQ(grid.Row(), 4);
    QTest::keyClick(View(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(grid.Selection(), Cells(1, 2, 3, 5));
    QTest::keyClick(View(), Qt::Key_Up);
    EXPECT_EQ(grid.Selection(), Cells(3, 4, 3, 4));
    grid.Set_Current_Cell(2, 1);
    QTest::keyClick(View(), Qt::Key_Up);
    EXPECT_EQ(grid.Selection(), Cells(2, 1, 2, 1));
}

TEST_F(GridTest, TheTitleRowStaysInPlaceWhenTheRowsScroll) {
    grid.Set_Row_Count(40);
    grid.Set_Cell(1, 0, "Title");
    const QRect title = grid.Cell_Rect(1, 0);
    const QImage before = Shot().copy(title);
    grid.Set_Current_Cell(1, 39);
    EXPECT_EQ(grid.Cell_Rect(1, 0), title);
    EXPECT_EQ(Shot().copy(title), before);
    EXPECT_LT(grid.Cell_Rect(1, 1).top(), title.top()) << "row 1 scrolled away";
    EXPECT_GT(grid.Cell_Rect(1, 39).top(), title.bottom());
}

TEST_F(GridTest, SelectionStaysInsideTheDataCells) {
    grid.Set_Selection(Cells(-3, -1, 9, 0));
    EXPECT_EQ(grid.Selection(), Cells(0, 1, 3, 1));
    grid.Set_Selection(Cells(1, 3, 2, 5));
    grid.Set_Row_Count(4);
    EXPECT_EQ(grid.Selection(), Cells(1, 3, 2, 3));
    grid.Set_Row_Count(1);
    EXPECT_EQ(grid.Fixed_Rows(), 0);
    EXPECT_EQ(grid.Row(), 0);
}

TEST_F(GridTest, CellsArePaintedInHeaderDataAndSelectedColoursWithOrWithoutFocus) {
    grid.Set_Selection(Cells(1, 2, 2, 3));
    for (const bool focused : {false, true}) {
        SCOPED_TRACE(focused);
        const QImage image = Shot_With_Focus(focused);
        ASSERT_EQ(View()->hasFocus(), focused);
        EXPECT_EQ(Middle(image, 0, 0), kHeader.rgb());
        EXPECT_EQ(Middle(image, 0, 2), kData.rgb());
        EXPECT_EQ(Middle(image, 1, 2), kSelected.rgb());
        EXPECT_EQ(Middle(image, 2, 3), kSelected.rgb()) << "the current cell";
        EXPECT_EQ(Middle(image, 3, 3), kData.rgb());
    }
}

TEST_F(GridTest, SystemColoursAreLookedUpWhenPainting) {
    grid.Set_SelectedColor(QPalette::Highlight);
    for (const QColor& highlight : {QColor(1, 150, 2), QColor(90, 3, 90)}) {
        QPalette palette = grid.palette();
        palette.setColor(QPalette::Highlight, highlight);
        grid.setPalette(palette);
        EXPECT_EQ(Middle(Shot(), 1, 1), highlight.rgb());
    }
}

// A text colour from the palette gives way to black or white where it would
// not read; a colour the grid was given stays as it is.
TEST_F(GridTest, ThemeTextColoursGiveWayOnlyWhereTheyWouldNotRead) {
    QPalette dark = grid.palette();
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Button, QColor(230, 230, 230));
    dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::ToolTipBase, QColor(255, 255, 220));
    dark.setColor(QPalette::ToolTipText, Qt::white);
    grid.setPalette(dark);
    grid.Set_Cell(1, 3, "Wide");
    const QColor grey(60, 60, 60);
    struct Case {
        const char* What;
        Grid_Color Background;
        Grid_Color Text;
        QColor Ink;
    };
    const std::vector<Case> cases = {
        {"theme text on the theme's base", QPalette::Base, QPalette::Text, Qt::white},
        {"theme text on a fixed light colour", kData, QPalette::Text, Qt::black},
        {"theme text on a light button face", QPalette::Button, QPalette::Text, Qt::black},
        {"a fixed text colour", QPalette::Base, grey, grey},
        {"the theme's own highlight pair", QPalette::Highlight, QPalette::HighlightedText,
         Qt::white},
        {"a theme pair that does not read", QPalette::ToolTipBase, QPalette::ToolTipText,
         Qt::black},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        grid.Columns()[1].Set_Color(c.Background);
        grid.Columns()[1].Set_Font_Color(c.Text);
        const tessaly::test::Ink ink =
            tessaly::test::Ink_In(Shot(), grid.Cell_Rect(1, 3).adjusted(2, 2, -2, -2));
        EXPECT_EQ(ink.Background, c.Background.Resolve(dark));
        EXPECT_EQ(ink.Text, c.Ink);
    }

    // Selected cells go by the same rule.
    dark.setColor(QPalette::Highlight, QColor(255, 255, 150));
    grid.setPalette(dark);
    grid.Set_SelectedColor(QPalette::Highlight);
    grid.Set_SelectedTextColor(QPalette::HighlightedText);
    grid.Set_Current_Cell(1, 3);
    const tessaly::test::Ink selected =
        tessaly::test::Ink_In(Shot(), grid.Cell_Rect(1, 3).adjusted(2, 2, -2, -2));
    EXPECT_EQ(selected.Background, QColor(255, 255, 150));
    EXPECT_EQ(selected.Text, QColor(Qt::black));
}

class GridLineTest : public GridTest, public ::testing::WithParamInterface<int> {};

TEST_P(GridLineTest, FramesLieOnTheGridLinesInFixedAndDataColours) {
    const int width = GetParam();
    grid.Set_Grid_Line_Width(width);
    const QImage image = Shot();
    const QRect header = grid.Cell_Rect(1, 0);
    const QRect data = grid.Cell_Rect(1, 2);
    EXPECT_EQ(header.width(), 80);
    EXPECT_EQ(grid.Cell_Rect(2, 2).left(), data.left() + 80 + width);
    for (int i = 1; i <= width; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(image.pixel(header.right() + i, header.center().y()), kFixedLine.rgb());
        EXPECT_EQ(image.pixel(header.center().x(), header.bottom() + i), kFixedLine.rgb());
        EXPECT_EQ(image.pixel(data.right() + i, data.center().y()), kGridLine.rgb());
        EXPECT_EQ(image.pixel(data.center().x(), data.bottom() + i), kGridLine.rgb());
    }
    EXPECT_EQ(image.pixel(data.right(), data.center().y()), kData.rgb());
}

INSTANTIATE_TEST_SUITE_P(Widths, GridLineTest, ::testing::Values(1, 2, 3));

TEST_F(GridTest, TextStartsTwoPixelsInAtTheTopByAlignmentAndIsCutInside) {
    grid.Set_Row_Height(2, 60);
    grid.Columns()[0].Set_HeaderAlignment(Cell_Alignment::Centre);
    grid.Columns()[1].Set_Alignment(Cell_Alignment::Right);
    grid.Set_Cell(0, 0, "Ill");
    grid.Set_Cell(0, 2, "Ill");
    grid.Set_Cell(1, 2, "Ill");
    grid.Set_Cell(2, 2, "WWWWWWWWWWWWWWWW");
    const QImage image = Shot();
    const int line = QFontMetrics(Test_Font()).height();

    const QRect left = grid.Cell_Rect(0, 2);
    const QRect leftInk = Ink(image, left, kData);
    EXPECT_GE(leftInk.left(), left.left() + 2);
    EXPECT_LE(leftInk.left(), left.left() + 4);
    EXPECT_GE(leftInk.top(), left.top() + 2);
    EXPECT_LT(leftInk.bottom(), left.top() + 2 + line) << "not centred vertically";

    const QRect right = grid.Cell_Rect(1, 2);
    const QRect rightInk = Ink(image, right, kData);
    EXPECT_LE(rightInk.right(), right.right() - 2);
    EXPECT_GE(rightInk.right(), right.right() - 4);

    const QRect header = grid.Cell_Rect(0, 0).adjusted(1, 1, -1, -1);  // inside the raised edge
    const QRect headerInk = Ink(image, header, kHeader);
    EXPECT_NEAR(headerInk.center().x(), header.center().x(), 2);

    if (tessaly::test::Running_Under_Wine()) {
        GTEST_SKIP() << tessaly::test::Wine_Text_Metrics;
    }
    const QRect cut = grid.Cell_Rect(2, 2);
    const QRect cutInk = Ink(image, cut, kData);
    EXPECT_EQ(cutInk.right(), cut.right() - 2) << "clipped at the inner rectangle";
}

TEST_F(GridTest, MultiLineWrapsWithinTheCellOtherwiseOneLine) {
    grid.Set_Row_Height(2, 80);
    grid.Set_Row_Height(3, 30);
    const QString words = "one two three four five six";
    grid.Set_Cell(1, 2, words);
    grid.Set_Cell(1, 3, words);
    const int line = QFontMetrics(Test_Font()).lineSpacing();
    const QRect tall = grid.Cell_Rect(1, 2);
    const QRect shortCell = grid.Cell_Rect(1, 3);

    EXPECT_LT(Ink(Shot(), tall, kData).bottom(), tall.top() + 2 + line);
    grid.Set_MultiLine(true);
    const QImage image = Shot();
    EXPECT_GT(Ink(image, tall, kData).bottom(), tall.top() + 2 + 2 * line);
    EXPECT_LE(Ink(image, shortCell, kData).bottom(), shortCell.bottom() - 2);
}

TEST_F(GridTest, AnAmpersandIsDrawnAsItself) {
    grid.Set_Cell(1, 2, "A&B");
    grid.Set_Cell(1, 3, "AB");
    const QImage image = Shot();
    const int withAmpersand = Ink(image, grid.Cell_Rect(1, 2), kData).width();
    const int without = Ink(image, grid.Cell_Rect(1, 3), kData).width();
    EXPECT_GE(withAmpersand, without + QFontMetrics(Test_Font()).horizontalAdvance('&') - 2);
}

TEST_F(GridTest, SelectedTextTakesTheSelectedTextColour) {
    grid.Set_Cell(1, 2, "Selected");
    grid.Set_Cell(1, 3, "Plain");
    grid.Set_Current_Cell(1, 2);
    const QImage image = Shot();
    EXPECT_GT(Count(image, grid.Cell_Rect(1, 2), kSelectedText), 20);
    EXPECT_EQ(Count(image, grid.Cell_Rect(1, 2), kText), 0);
    EXPECT_GT(Count(image, grid.Cell_Rect(1, 3), kText), 20);
}

TEST_F(GridTest, OnCellPropsChangesOneCellWhilePainting) {
    const QColor magenta(255, 0, 255);
    std::vector<Cell_State> titleStates;
    Cell_State selectedState;
    grid.Set_Current_Cell(0, 1);
    grid.Set_OnCellProps(
        [&](TFormatStringGrid& owner, Cell_Props& props, Cell_State state, int row, int col) {
            EXPECT_EQ(&owner, &grid);
            if (row == 0) {
                titleStates.push_back(state);
            }
            if (row == 1 && col == 0) {
                selectedState = state;
            }
            if (row == 3 && col == 2) {
                props.background = magenta;
                props.text = "Z";
                props.alignment = Cell_Alignment::Right;
            }
        });
    const QImage image = Shot();
    const QRect changed = grid.Cell_Rect(2, 3);
    EXPECT_EQ(image.pixel(changed.left() + 3, changed.center().y()), magenta.rgb());
    EXPECT_GT(Ink(image, changed, magenta).left(), changed.center().x());
    EXPECT_EQ(Middle(image, 2, 2), kData.rgb());
    ASSERT_FALSE(titleStates.empty());
    EXPECT_TRUE(titleStates.front().fixed);
    EXPECT_TRUE(selectedState.selected);
    EXPECT_FALSE(selectedState.fixed);
}

TEST_F(GridTest, FixedCellsHaveARaisedEdgeUnlessSwitchedOff) {
    const QColor light(230, 231, 232);
    const QColor dark(70, 71, 72);
    QPalette palette = grid.palette();
    palette.setColor(QPalette::Light, light);
    palette.setColor(QPalette::Dark, dark);
    grid.setPalette(palette);
    const QRect header = grid.Cell_Rect(1, 0);
    const QPoint middle = header.center();

    QImage image = Shot();
    EXPECT_EQ(image.pixel(header.left(), middle.y()), light.rgb());
    EXPECT_EQ(image.pixel(middle.x(), header.top()), light.rgb());
    EXPECT_EQ(image.pixel(header.right(), middle.y()), dark.rgb());
    EXPECT_EQ(image.pixel(middle.x(), header.bottom()), dark.rgb());
    EXPECT_EQ(image.pixel(header.left() + 1, middle.y()), kHeader.rgb());
    const QRect data = grid.Cell_Rect(1, 2);
    EXPECT_EQ(image.pixel(data.left(), data.center().y()), kData.rgb()) << "data cells are flat";

    grid.Set_Raised_Fixed_Cells(false);
    image = Shot();
    EXPECT_EQ(image.pixel(header.left(), middle.y()), kHeader.rgb());
    EXPECT_EQ(image.pixel(header.right(), middle.y()), kHeader.rgb());
    EXPECT_EQ(image.pixel(header.right() + 1, middle.y()), kFixedLine.rgb());
}

TEST_F(GridTest, FixedColumnsPaintDataRowsInTheGridsFixedColourAndFontColour) {
    const QColor fixed(120, 130, 140);
    const QColor fixedText(255, 255, 0);
    grid.Set_Fixed_Color(fixed);
    grid.Set_Font_Color(fixedText);
    grid.setFont(Test_Font());
    grid.Set_Raised_Fixed_Cells(false);
    grid.Set_Fixed_Cols(1);
    grid.Set_Cell(0, 0, "Corner");
    grid.Set_Cell(0, 2, "Fixed");
    const QImage image = Shot();

    const QRect corner = grid.Cell_Rect(0, 0);
    EXPECT_EQ(image.pixel(corner.left() + 1, corner.bottom() - 1), kHeader.rgb())
        << "the column's header colour";
    EXPECT_GT(Count(image, corner, kText), 10);
    const QRect side = grid.Cell_Rect(0, 2);
    EXPECT_EQ(image.pixel(side.left() + 1, side.bottom() - 1), fixed.rgb());
    EXPECT_GT(Count(image, side, fixedText), 10);
    EXPECT_EQ(Count(image, side, kText), 0);
    EXPECT_EQ(image.pixel(side.right() + 1, side.center().y()), kFixedLine.rgb());
    EXPECT_EQ(image.pixel(side.center().x(), side.bottom() + 1), kFixedLine.rgb());
}

TEST_F(GridTest, TheAreaPastTheLastCellTakesTheGridColour) {
    const QColor past(33, 66, 99);
    grid.Set_Color(past);
    const QImage image = Shot();
    const QRect last = grid.Cell_Rect(3, 5);
    ASSERT_LT(last.right() + 10, grid.width());
    ASSERT_LT(last.bottom() + 10, grid.height());
    EXPECT_EQ(image.pixel(last.right() + 10, grid.Cell_Rect(3, 0).center().y()), past.rgb())
        << "beside the title row";
    EXPECT_EQ(image.pixel(last.right() + 10, last.center().y()), past.rgb());
    EXPECT_EQ(image.pixel(last.center().x(), last.bottom() + 10), past.rgb());
    EXPECT_EQ(Middle(image, 3, 5), kData.rgb());
}

TEST_F(GridTest, TheCurrentCellHasADottedFrameInItsTextColourOnlyWithFocus) {
    grid.Set_Current_Cell(1, 2);
    const QRect cell = grid.Cell_Rect(1, 2);
    const QRect top(cell.left(), cell.top(), cell.width(), 1);
    const QRect left(cell.left(), cell.top(), 1, cell.height());
    for (const bool focused : {false, true}) {
        SCOPED_TRACE(focused);
        const QImage image = Shot_With_Focus(focused);
        ASSERT_EQ(View()->hasFocus(), focused);
        if (focused) {
            // Every other pixel, so about half of each edge.
            EXPECT_NEAR(Count(image, top, kSelectedText), cell.width() / 2, 2);
            EXPECT_NEAR(Count(image, left, kSelectedText), cell.height() / 2, 2);
            EXPECT_NEAR(Count(image, top, kSelected), cell.width() / 2, 2);
        } else {
            EXPECT_EQ(Count(image, top, kSelected), cell.width());
        }
        EXPECT_EQ(image.pixel(cell.left() + 1, cell.top() + 1), kSelected.rgb())
            << "the frame is one pixel";
    }
}

TEST_F(GridTest, ColumnsOfWidthZeroOrLessAreHiddenAndSkipped) {
    grid.Set_Col_Width(1, 0);
    grid.Set_Col_Width(2, -5);
    EXPECT_EQ(grid.Col_Width(2), -5);
    EXPECT_TRUE(grid.Cell_Rect(1, 2).isEmpty());
    EXPECT_EQ(grid.Cell_Rect(3, 2).left(), grid.Cell_Rect(0, 2).right() + 2);
    EXPECT_EQ(grid.Cell_Rect(3, 0).left(), grid.Cell_Rect(3, 2).left());
    grid.Set_Current_Cell(0, 2);
    QTest::keyClick(View(), Qt::Key_Right);
    EXPECT_EQ(grid.Col(), 3);

    for (int col = 0; col < 4; ++col) {
        grid.Set_Col_Width(col, -1);
    }
    QTest::keyClick(View(), Qt::Key_Left);
    QTest::keyClick(View(), Qt::Key_End);
    EXPECT_FALSE(Shot().isNull());
    EXPECT_EQ(grid.Row(), 2);
}

TEST_F(GridTest, TitleClicksAndDataDoubleClicksAreReportedWithTheirCells) {
    QSignalSpy titles(&grid, &TFormatStringGrid::Fixed_Cell_Clicked);
    QSignalSpy doubles(&grid, &TFormatStringGrid::Cell_Double_Clicked);
    QSignalSpy clicks(&grid, &TFormatStringGrid::Clicked);

    Click(2, 0);
    ASSERT_EQ(titles.count(), 1);
    EXPECT_EQ(titles[0], (QVariantList{2, 0}));
    // Not a click: pressed on one title, let go on another; the right button.
    QWidget* header = grid.childAt(grid.Cell_Rect(1, 0).center());
    QTest::mousePress(header, Qt::LeftButton, {},
                      header->mapFrom(&grid, grid.Cell_Rect(1, 0).center()));
    QTest::mouseRelease(header, Qt::LeftButton, {},
                        header->mapFrom(&grid, grid.Cell_Rect(3, 0).center()));
    Click(1, 0, Qt::RightButton);
    EXPECT_EQ(titles.count(), 1);

    Click(3, 4, Qt::LeftButton, {}, true);
    ASSERT_EQ(doubles.count(), 1);
    EXPECT_EQ(doubles[0], (QVariantList{3, 4}));
    EXPECT_EQ(grid.Selection(), Cells(3, 4, 3, 4));
    // The double click's own second release is no further click.
    const qsizetype clicks_before = clicks.count();
    QWidget* view = grid.childAt(grid.Cell_Rect(3, 4).center());
    QTest::mouseRelease(view, Qt::LeftButton, {},
                        view->mapFrom(&grid, grid.Cell_Rect(3, 4).center()));
    EXPECT_EQ(clicks.count(), clicks_before);
    Click(3, 4, Qt::RightButton, {}, true);
    EXPECT_EQ(doubles.count(), 1);
}

TEST_F(GridTest, TheSortArrowIsDrawnInTheSortedColumnsTitleOnly) {
    grid.Set_Col_Width(1, 120);
    grid.Set_Col_Width(2, 120);
    const QImage plain = Shot();
    grid.Set_Sort_Indicator(1, Qt::AscendingOrder);
    const QImage up = Shot();
    grid.Set_Sort_Indicator(1, Qt::DescendingOrder);
    const QImage down = Shot();
    const QRect title = grid.Cell_Rect(1, 0);
    EXPECT_NE(up.copy(title), plain.copy(title));
    EXPECT_NE(down.copy(title), up.copy(title));
    // Everything else looks as it did.
    for (const QRect other : {grid.Cell_Rect(2, 0), grid.Cell_Rect(1, 1)}) {
        EXPECT_EQ(up.copy(other), plain.copy(other));
    }
    grid.Set_Sort_Indicator(-1, Qt::AscendingOrder);
    EXPECT_EQ(Shot(), plain);
}

// Wherever the arrow goes, the title's own pixels stay as they were: beside
// a centred title when there is room, smaller when there is little, and not
// at all when the title fills its cell.
TEST_F(GridTest, TheSortArrowNeverCoversTheTitle) {
    if (tessaly::test::Running_Under_Wine()) {
        GTEST_SKIP() << tessaly::test::Wine_Text_Metrics;
    }
    for (const int pixels : {8, 15, 24, 40}) {
        auto& item = grid.Columns()[1];
        QFont font = Test_Font(pixels);
        font.setBold(true);
        item.Set_HeaderFont(font);
        item.Set_HeaderAlignment(Cell_Alignment::Centre);
        item.Set_Caption("Days Left");
        grid.Set_Default_Row_Height(pixels * 8 / 5);
        const int title_width = QFontMetrics(font).horizontalAdvance("Days Left");
        for (const int spare : {0, 6, pixels, 2 * pixels + 10}) {
            SCOPED_TRACE(testing::Message() << pixels << " px, " << spare << " spare");
            grid.Set_Col_Width(1, title_width + 4 + spare);
            grid.Set_Sort_Indicator(-1, Qt::AscendingOrder);
            const QImage plain = Shot();
            const QRect cell = grid.Cell_Rect(1, 0);
            const QRect title = Ink(plain, cell.adjusted(2, 2, -2, -2), kHeader);
            ASSERT_FALSE(title.isEmpty());
            for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                grid.Set_Sort_Indicator(1, order);
                const QImage sorted = Shot();
                // The title's columns of pixels, the whole height of the cell.
                const QRect around(title.left() - 1, cell.top(), title.width() + 2, cell.height());
                EXPECT_EQ(sorted.copy(around), plain.copy(around));
                if (spare >= 2 * pixels + 10) {
                    // Room enough: the arrow is there, at full size.
                    EXPECT_NE(sorted.copy(cell), plain.copy(cell));
                    EXPECT_GE(Ink(sorted, cell.adjusted(title.right() - cell.left() + 2, 2, -2, -2),
                                  kHeader)
                                  .width(),
                              std::max(pixels * 8 / 5 / 4, 3));
                }
            }
        }
    }
}

}  // namespace
