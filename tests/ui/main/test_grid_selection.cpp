#include "ui/main/grid_selection.h"

#include <gtest/gtest.h>

#include "widgets/format_string_grid.h"

namespace {

using namespace tessaly;

TEST(Grid_Selection_Test, WholeRowsSpanEveryColumnWithTheCurrentCellInTheFirst) {
    TFormatStringGrid grid;
    grid.Set_Col_Count(7);
    grid.Set_Fixed_Cols(0);
    grid.Set_Row_Count(8);
    grid.Set_Selection(QRect(QPoint(2, 3), QPoint(4, 5)));

    Select_Whole_Rows(grid);
    EXPECT_EQ(grid.Selection(), QRect(QPoint(0, 3), QPoint(6, 5)));
    EXPECT_EQ(QPoint(grid.Col(), grid.Row()), QPoint(0, 5));
    EXPECT_EQ(Selected_Top_Row(grid), 3);
    EXPECT_EQ(Selected_Row_Count(grid), 3);

    Select_Row(grid, 7);
    EXPECT_EQ(grid.Selection(), QRect(QPoint(0, 7), QPoint(6, 7)));
    EXPECT_EQ(Selected_Row_Count(grid), 1);
}

}  // namespace
