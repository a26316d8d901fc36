#include "widgets/detail/grid_accessible.h"

#include "widgets/detail/grid_view.h"
#include "widgets/format_string_grid.h"

#include <QWidget>
#include <QWindow>

#include <mutex>

namespace tessaly::detail {

namespace {

// One cell, addressed by its place: whatever entry sits in that row now is
// what it reads.
class Grid_Cell_Accessible final : public QAccessibleInterface,
                                   public QAccessibleTableCellInterface {
public:
    // A row of -1 is the column header above the data rows.
    Grid_Cell_Accessible(Grid_View& view, TFormatStringGrid& grid, int row, int column)
        : view_(&view), grid_(&grid), row_(row), column_(column) {}

    bool isValid() const override {
        return !view_.isNull() && !grid_.isNull() && column_ < grid_->Col_Count() &&
               (row_ < 0 ? grid_->Fixed_Rows() > 0
                         : Table() != nullptr && row_ < Table()->rowCount());
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return view_.isNull() ? nullptr : view_->window()->windowHandle();
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface && row_ >= 0) {
            return static_cast<QAccessibleTableCellInterface*>(this);
        }
        return nullptr;
    }

    QAccessible::Role role() const override {
        return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const QRect shown = Grid_Rect();
        if (shown.isEmpty()) {
            state.invisible = true;
        } else if (!QRect(QPoint(0, 0), grid_->size()).intersects(shown)) {
            state.offscreen = true;
        }
        if (row_ >= 0) {
            state.selectable = true;
            state.focusable = true;
            state.selected = isSelected();
            state.focused =
                view_->hasFocus() && grid_->Col() == column_ && grid_->Row() == Grid_Row();
        }
        return state;
    }
    QString text(QAccessible::Text type) const override {
        if (!isValid()) {
            return {};
        }
        switch (type) {
            case QAccessible::Name:
                return grid_->Cell(column_, Grid_Row());
            case QAccessible::Description:
                return grid_->Cell_Hint(column_, Grid_Row());
            default:
                return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const QRect shown = isValid() ? Grid_Rect() : QRect();
        return shown.isEmpty() ? QRect() : shown.translated(grid_->mapToGlobal(QPoint(0, 0)));
    }

    QAccessibleInterface* parent() const override {
        return view_.isNull() ? nullptr : QAccessible::queryAccessibleInterface(view_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        QAccessibleInterface* header = Table() == nullptr ? nullptr : Table()->Header_Cell(column_);
        return header == nullptr ? QList<QAccessibleInterface*>{}
                                 : QList<QAccessibleInterface*>{header};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    bool isSelected() const override {
        return row_ >= 0 && isValid() && grid_->Selection().contains(column_, Grid_Row());
    }
    QAccessibleInterface* table() const override { return parent(); }

private:
    Grid_Table_Accessible* Table() const { return dynamic_cast<Grid_Table_Accessible*>(parent()); }
    int Grid_Row() const { return row_ < 0 ? grid_->Fixed_Rows() - 1 : grid_->Fixed_Rows() + row_; }
    QRect Grid_Rect() const { return grid_->Cell_Rect(column_, Grid_Row()); }

    QPointer<Grid_View> view_;
    QPointer<TFormatStringGrid> grid_;
    int row_;
    int column_;
};

QAccessibleInterface* Grid_Factory(const QString&, QObject* object) {
    if (auto* view = dynamic_cast<Grid_View*>(object)) {
        return new Grid_Table_Accessible(*view, view->Grid());
    }
    return nullptr;
}

}  // namespace

Grid_Table_Accessible::Grid_Table_Accessible(Grid_View& view, TFormatStringGrid& grid)
    : QAccessibleWidget(&view, QAccessible::Table), view_(view), grid_(grid) {}

Grid_Table_Accessible::~Grid_Table_Accessible() {
    for (const auto& [place, id] : cells_) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

void* Grid_Table_Accessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) {
        return static_cast<QAccessibleTableInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State Grid_Table_Accessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.multiSelectable = true;
    return state;
}

// The name and description are the grid's: the view inside it is a part
// nobody names.
QString Grid_Table_Accessible::text(QAccessible::Text type) const {
    switch (type) {
        case QAccessible::Name:
            return grid_.accessibleName();
        case QAccessible::Description:
            return grid_.accessibleDescription();
        default:
            return QAccessibleWidget::text(type);
    }
}

bool Grid_Table_Accessible::Has_Headers() const {
    return grid_.Fixed_Rows() > 0;
}

int Grid_Table_Accessible::columnCount() const {
    return grid_.Col_Count();
}

int Grid_Table_Accessible::rowCount() const {
    return grid_.Placeholder_Row() ? 0 : grid_.Row_Count() - grid_.Fixed_Rows();
}

int Grid_Table_Accessible::childCount() const {
    return (rowCount() + (Has_Headers() ? 1 : 0)) * columnCount();
}

int Grid_Table_Accessible::Child_Index(int row, int column) const {
    return (row + (Has_Headers() ? 1 : 0)) * columnCount() + column;
}

QAccessibleInterface* Grid_Table_Accessible::child(int index) const {
    if (index < 0 || index >= childCount()) {
        return nullptr;
    }
    const int row = index / columnCount() - (Has_Headers() ? 1 : 0);
    return Cell(row, index % columnCount());
}

int Grid_Table_Accessible::indexOfChild(const QAccessibleInterface* child) const {
    if (child == nullptr) {
        return -1;
    }
    for (const auto& [place, id] : cells_) {
        if (QAccessible::accessibleInterface(id) == child) {
            return place.first < 0 ? place.second : Child_Index(place.first, place.second);
        }
    }
    return -1;
}

QAccessibleInterface* Grid_Table_Accessible::childAt(int x, int y) const {
    const QPoint local = grid_.mapFromGlobal(QPoint(x, y));
    for (int column = 0; column < columnCount(); ++column) {
        if (Has_Headers() && grid_.Cell_Rect(column, grid_.Fixed_Rows() - 1).contains(local)) {
            return Header_Cell(column);
        }
    }
    const QModelIndex index = view_.indexAt(view_.viewport()->mapFrom(&grid_, local));
    if (!index.isValid() || index.row() < grid_.Fixed_Rows()) {
        return nullptr;
    }
    return cellAt(index.row() - grid_.Fixed_Rows(), index.column());
}

QAccessibleInterface* Grid_Table_Accessible::cellAt(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return nullptr;
    }
    return Cell(row, column);
}

QAccessibleInterface* Grid_Table_Accessible::Header_Cell(int column) const {
    if (!Has_Headers() || column < 0 || column >= columnCount()) {
        return nullptr;
    }
    return Cell(-1, column);
}

QAccessibleInterface* Grid_Table_Accessible::Cell(int row, int column) const {
    const auto place = std::make_pair(row, column);
    if (const auto found = cells_.find(place); found != cells_.end()) {
        return QAccessible::accessibleInterface(found->second);
    }
    auto* cell = new Grid_Cell_Accessible(view_, grid_, row, column);
    const QAccessible::Id id = QAccessible::registerAccessibleInterface(cell);
    cells_.emplace(place, id);
    return cell;
}

void Grid_Table_Accessible::Forget_Cells_From(int row) {
    for (auto place = cells_.begin(); place != cells_.end();) {
        if (place->first.first >= row || place->first.second >= columnCount()) {
            QAccessible::deleteAccessibleInterface(place->second);
            place = cells_.erase(place);
        } else {
            ++place;
        }
    }
}

QString Grid_Table_Accessible::columnDescription(int column) const {
    return Has_Headers() ? grid_.Cell(column, grid_.Fixed_Rows() - 1) : QString();
}

QList<int> Grid_Table_Accessible::selectedRows() const {
    QList<int> rows;
    if (rowCount() == 0) {
        return rows;
    }
    const QRect selection = grid_.Selection();
    for (int row = selection.top(); row <= selection.bottom(); ++row) {
        rows.append(row - grid_.Fixed_Rows());
    }
    return rows;
}

int Grid_Table_Accessible::selectedRowCount() const {
    return static_cast<int>(selectedRows().size());
}

// The entry commands act on every row the selection touches, so such a row
// reads as selected even where only some of its cells are.
bool Grid_Table_Accessible::isRowSelected(int row) const {
    return selectedRows().contains(row);
}

QList<QAccessibleInterface*> Grid_Table_Accessible::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    if (rowCount() == 0) {
        return cells;
    }
    const QRect selection = grid_.Selection();
    for (int row = selection.top(); row <= selection.bottom(); ++row) {
        for (int column = selection.left(); column <= selection.right(); ++column) {
            cells.append(Cell(row - grid_.Fixed_Rows(), column));
        }
    }
    return cells;
}

int Grid_Table_Accessible::selectedCellCount() const {
    return static_cast<int>(selectedCells().size());
}

bool Grid_Table_Accessible::selectRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    const int grid_row = grid_.Fixed_Rows() + row;
    grid_.Set_Selection(
        QRect(QPoint(grid_.Fixed_Cols(), grid_row), QPoint(grid_.Col_Count() - 1, grid_row)));
    return true;
}

void Grid_Table_Accessible::modelChange(QAccessibleTableModelChangeEvent*) {
    Forget_Cells_From(rowCount());
}

void Grid_Table_Accessible::Announce_Selection() {
    QAccessibleEvent within(&view_, QAccessible::SelectionWithin);
    QAccessible::updateAccessibility(&within);
    // Each cell that came into or left the selection reports its new state,
    // unless so many changed that the summary above must do.
    constexpr int Most_Cells_Told = 64;
    const QRect now = rowCount() == 0 ? QRect() : grid_.Selection();
    const QRect before = announced_;
    announced_ = now;
    const QRect both = now.united(before);
    if (both.width() * both.height() <= Most_Cells_Told) {
        for (int grid_row = both.top(); grid_row <= both.bottom(); ++grid_row) {
            for (int column = both.left(); column <= both.right(); ++column) {
                const bool selected = now.contains(column, grid_row);
                if (selected == before.contains(column, grid_row)) {
                    continue;
                }
                QAccessibleEvent change(
                    &view_, selected ? QAccessible::SelectionAdd : QAccessible::SelectionRemove);
                change.setChild(Child_Index(grid_row - grid_.Fixed_Rows(), column));
                QAccessible::updateAccessibility(&change);
            }
        }
    }
    const int row = grid_.Row() - grid_.Fixed_Rows();
    if (view_.hasFocus() && row >= 0 && row < rowCount()) {
        // A screen reader speaks the cell the user has moved to.
        QAccessibleEvent focus(&view_, QAccessible::Focus);
        focus.setChild(Child_Index(row, grid_.Col()));
        QAccessible::updateAccessibility(&focus);
    }
}

void Announce_Grid_Selection(Grid_View& view) {
    if (!QAccessible::isActive()) {
        return;
    }
    if (auto* table =
            dynamic_cast<Grid_Table_Accessible*>(QAccessible::queryAccessibleInterface(&view))) {
        table->Announce_Selection();
    }
}

void Install_Grid_Accessibility() {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(Grid_Factory); });
}

}  // namespace tessaly::detail
