#include "widgets/format_string_grid.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QTest>

namespace tessaly {
namespace {

const QStringList Titles = {"Name", "Orig. Date", "Days Left"};

// A grid as the main window sets it up: a title row over three entries.
class Grid_Accessible_Test : public ::testing::Test {
protected:
    Grid_Accessible_Test() {
        grid_.setAccessibleName("Birthdays and Events");
        grid_.Set_Col_Count(3);
        grid_.Set_Fixed_Cols(0);
        grid_.Set_Row_Count(4);
        for (int col = 0; col < 3; ++col) {
            grid_.Columns()[col].Set_Caption(Titles[col]);
            grid_.Set_Col_Width(col, 80);
            for (int row = 1; row < 4; ++row) {
                grid_.Set_Cell(col, row, QStringLiteral("%1-%2").arg(row).arg(col));
            }
        }
        grid_.resize(300, 200);
        grid_.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&grid_));
    }

    QAbstractItemView* View() const { return grid_.findChild<QAbstractItemView*>(); }
    QAccessibleInterface* Table() const { return QAccessible::queryAccessibleInterface(View()); }
    QAccessibleTableInterface* Cells() const { return Table()->tableInterface(); }

    TFormatStringGrid grid_;
};

TEST_F(Grid_Accessible_Test, ReadsAsANamedTableOfTheEntriesUnderTheTitles) {
    ASSERT_NE(Table(), nullptr);
    EXPECT_EQ(Table()->role(), QAccessible::Table);
    EXPECT_EQ(Table()->text(QAccessible::Name), "Birthdays and Events");
    ASSERT_NE(Cells(), nullptr);
    EXPECT_EQ(Cells()->rowCount(), 3);
    EXPECT_EQ(Cells()->columnCount(), 3);
    // The header row, then the data rows, in children as in cells.
    EXPECT_EQ(Table()->childCount(), 4 * 3);
    for (int col = 0; col < 3; ++col) {
        EXPECT_EQ(Cells()->columnDescription(col), Titles[col]);
        QAccessibleInterface* header = Table()->child(col);
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->role(), QAccessible::ColumnHeader);
        EXPECT_EQ(header->text(QAccessible::Name), Titles[col]);
        EXPECT_EQ(Table()->indexOfChild(header), col);
    }
    QAccessibleInterface* cell = Cells()->cellAt(2, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), "3-1");
    EXPECT_EQ(Table()->indexOfChild(cell), 3 * 3 + 1);
    EXPECT_EQ(Table()->child(3 * 3 + 1), cell);
    EXPECT_EQ(cell->tableCellInterface()->columnHeaderCells().value(0), Table()->child(1));
    EXPECT_EQ(cell->parent(), Table());
    // The same cell answers again, at the place it shows on the screen.
    EXPECT_EQ(Table()->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);
    EXPECT_EQ(Cells()->cellAt(3, 0), nullptr);

    // Rows that go away read as gone; an empty list reads as no rows.
    grid_.Set_Row_Count(3);
    EXPECT_EQ(Cells()->rowCount(), 2);
    EXPECT_FALSE(cell->isValid());
    grid_.Set_Row_Count(2);
    grid_.Set_Placeholder_Row(true);
    EXPECT_EQ(Cells()->rowCount(), 0);
    EXPECT_EQ(Table()->childCount(), 3);
    EXPECT_TRUE(Cells()->selectedRows().isEmpty());
}

TEST_F(Grid_Accessible_Test, TheSelectionReadsAsSelectedRowsAndCells) {
    grid_.Set_Selection(QRect(QPoint(1, 2), QPoint(1, 3)));
    EXPECT_EQ(Cells()->selectedRows(), QList<int>({1, 2}));
    EXPECT_EQ(Cells()->selectedRowCount(), 2);
    EXPECT_TRUE(Cells()->isRowSelected(1));
    EXPECT_FALSE(Cells()->isRowSelected(0));
    EXPECT_EQ(Cells()->selectedCellCount(), 2);
    EXPECT_TRUE(Cells()->cellAt(1, 1)->state().selected);
    EXPECT_FALSE(Cells()->cellAt(1, 0)->state().selected);
    EXPECT_TRUE(Cells()->cellAt(0, 0)->state().selectable);

    // A screen reader may select a row itself.
    EXPECT_TRUE(Cells()->selectRow(0));
    EXPECT_EQ(grid_.Selection(), QRect(QPoint(0, 1), QPoint(2, 1)));
    EXPECT_FALSE(Cells()->selectRow(3));
}

}  // namespace
}  // namespace tessaly

namespace tessaly {
namespace {

// A hint is the cell's tooltip and its description; it stays with its cell
// through a column move and goes with rows that go.
TEST_F(Grid_Accessible_Test, ACellsHintIsItsTooltipAndDescriptionAndMovesWithIt) {
    grid_.Set_Cell_Hint(0, 2, QStringLiteral("From the contact"));
    grid_.Set_Cell_Hint(9, 2, QStringLiteral("outside"));
    EXPECT_EQ(grid_.Cell_Hint(9, 2), QString());
    QAccessibleInterface* cell = Cells()->cellAt(1, 0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Description), QStringLiteral("From the contact"));
    EXPECT_EQ(Cells()->cellAt(1, 1)->text(QAccessible::Description), QString());
    const QModelIndex index = View()->model()->index(2, 0);
    EXPECT_EQ(View()->model()->data(index, Qt::ToolTipRole).toString(),
              QStringLiteral("From the contact"));
    EXPECT_FALSE(View()->model()->data(View()->model()->index(2, 1), Qt::ToolTipRole).isValid())
        << "no hint, no tooltip";

    grid_.Move_Column(0, 2);
    EXPECT_EQ(grid_.Cell_Hint(2, 2), QStringLiteral("From the contact"));
    EXPECT_EQ(grid_.Cell(2, 2), QStringLiteral("2-0"));
    EXPECT_EQ(grid_.Cell_Hint(0, 2), QString());
    grid_.Set_Row_Count(2);
    grid_.Set_Row_Count(4);
    EXPECT_EQ(grid_.Cell_Hint(2, 2), QString()) << "a row that went takes its hint along";
}

}  // namespace
}  // namespace tessaly
