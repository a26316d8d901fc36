#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QRect>

#include <map>
#include <utility>

namespace tessaly {
class TFormatStringGrid;
}

namespace tessaly::detail {

class Grid_View;

// What a screen reader finds in the grid: a table whose rows are the data
// rows only, whose column headers are the texts of the last fixed row, and
// whose selection is the grid's own rectangle. The view is the object that
// takes the focus, so the table is its interface.
class Grid_Table_Accessible final : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    Grid_Table_Accessible(Grid_View& view, TFormatStringGrid& grid);
    ~Grid_Table_Accessible() override;

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text type) const override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int columnCount() const override;
    int rowCount() const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

    // The header cell of a column, or null without a fixed row.
    QAccessibleInterface* Header_Cell(int column) const;
    // Child index of a data cell, counted after the header row.
    int Child_Index(int row, int column) const;

    // Tells listeners that the selection or the current cell moved.
    void Announce_Selection();

private:
    bool Has_Headers() const;
    // A cell's interface, made once and kept while the table lives; row -1
    // is the header row, other rows count data rows from 0.
    QAccessibleInterface* Cell(int row, int column) const;
    void Forget_Cells_From(int row);

    Grid_View& view_;
    TFormatStringGrid& grid_;
    mutable std::map<std::pair<int, int>, QAccessible::Id> cells_;
    // The selection screen readers last heard of, in grid cells.
    QRect announced_;
};

// Makes the grid's view read as the table above, once per program.
void Install_Grid_Accessibility();

// Tells a screen reader, if one listens, where the selection and the
// current cell of the view's grid are now.
void Announce_Grid_Selection(Grid_View& view);

}  // namespace tessaly::detail
