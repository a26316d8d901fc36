#include "ui/main/grid_selection.h"

#include <gtest/gtest.h>

#include "widgets/format_string_grid.h"

namespace {

using namespace tessaly;

TEST(Grid_Selection_Test, WholeRowsSpanEveryColumnAndEndOnTheBottomRight) {
    TFormatStringGrid grid;
    grid.setColCount(7);
    grid.setFixedCols(0);
    grid.setRowCount(8);
    grid.setSelection(QRect(QPoint(2, 3), QPoint(4, 5)));

    Select_Whole_Rows(grid);
    EXPECT_EQ(grid.selection(), QRect(QPoint(0, 3), QPoint(6, 5)));
    EXPECT_EQ(QPoint(grid.col(), grid.row()), QPoint(6, 5));
    EXPECT_EQ(Selected_Top_Row(grid), 3);
    EXPECT_EQ(Selected_Row_Count(grid), 3);

    Select_Row(grid, 7);
    EXPECT_EQ(grid.selection(), QRect(QPoint(0, 7), QPoint(6, 7)));
    EXPECT_EQ(Selected_Row_Count(grid), 1);
}

}  // namespace
