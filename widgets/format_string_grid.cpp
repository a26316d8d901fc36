#include "widgets/format_string_grid.h"

#include "widgets/detail/cell_delegate.h"
#include "widgets/detail/fixed_corner.h"
#include "widgets/detail/fixed_header.h"
#include "widgets/detail/grid_accessible.h"
#include "widgets/detail/grid_metrics.h"
#include "widgets/detail/grid_model.h"
#include "widgets/detail/grid_view.h"
#include "widgets/detail/move_element.h"

#include <QItemSelectionModel>
#include <QVBoxLayout>

#include <algorithm>
#include <cstddef>
#include <utility>

namespace tessaly {

TFormatStringGrid::TFormatStringGrid(QWidget* parent)
    : QWidget(parent), columns_(*this), col_widths_{64}, row_heights_{24} {
    model_ = new detail::Grid_Model(this);
    view_ = new detail::Grid_View(*this);
    top_ = new detail::Fixed_Header(Qt::Horizontal, *this);
    left_ = new detail::Fixed_Header(Qt::Vertical, *this);
    view_->setModel(model_);
    view_->setHorizontalHeader(top_);
    view_->setVerticalHeader(left_);
    view_->setItemDelegate(new detail::Cell_Delegate(*this, *view_));
    corner_ = new detail::Fixed_Corner(*this, view_);
    view_->Set_Corner(corner_);
    top_->setDefaultSectionSize(default_col_width_ + line_width_);
    left_->setDefaultSectionSize(default_row_height_ + line_width_);
    columns_.Resize(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(view_);

    Set_Col_Count(5);
    Set_Row_Count(5);
    Set_Fixed_Cols(1);
    Set_Fixed_Rows(1);
    Set_Anchor_And_Current(QPoint(1, 1), QPoint(1, 1));

    detail::Install_Grid_Accessibility();
    connect(this, &TFormatStringGrid::Selection_Changed, this,
            [this] { detail::Announce_Grid_Selection(*view_); });
}

TFormatStringGrid::~TFormatStringGrid() {
    // The view paints from the columns and sizes below; let it go first.
    delete view_;
}

int TFormatStringGrid::Col_Count() const {
    return model_->columnCount();
}

int TFormatStringGrid::Row_Count() const {
    return model_->rowCount();
}

void TFormatStringGrid::Set_Col_Count(int count) {
    count = std::max(count, 1);
    if (count == Col_Count()) {
        return;
    }
    columns_.Resize(count);
    col_widths_.resize(static_cast<std::size_t>(count), default_col_width_);
    model_->Set_Cols(count);
    fixed_cols_ = std::min(fixed_cols_, count - 1);
    Apply_All_Columns();
    Apply_Fixed_Extents();
    Set_Anchor_And_Current(anchor_, current_);
    Repaint_All();
}

void TFormatStringGrid::Set_Row_Count(int count) {
    count = std::max(count, 1);
    const int old = Row_Count();
    if (count == old) {
        return;
    }
    row_heights_.resize(static_cast<std::size_t>(count), default_row_height_);
    model_->Set_Rows(count);
    if (fixed_rows_ > count - 1) {
        Set_Fixed_Rows(count - 1);
    }
    for (int row = std::min(old, count); row < count; ++row) {
        Apply_Row(row);
    }
    Set_Anchor_And_Current(anchor_, current_);
}

void TFormatStringGrid::Set_Fixed_Cols(int count) {
    count = std::clamp(count, 0, Col_Count() - 1);
    if (count == fixed_cols_) {
        return;
    }
    const int old = fixed_cols_;
    fixed_cols_ = count;
    for (int col = std::min(old, count); col < std::max(old, count); ++col) {
        Apply_Column(col);
    }
    Apply_Fixed_Extents();
    Set_Anchor_And_Current(anchor_, current_);
    Repaint_All();
}

void TFormatStringGrid::Set_Fixed_Rows(int count) {
    count = std::clamp(count, 0, Row_Count() - 1);
    if (count == fixed_rows_) {
        return;
    }
    const int old = fixed_rows_;
    fixed_rows_ = count;
    for (int row = std::min(old, count); row < std::max(old, count); ++row) {
        Apply_Row(row);
    }
    Apply_Fixed_Extents();
    Set_Anchor_And_Current(anchor_, current_);
    Repaint_All();
}

QString TFormatStringGrid::Cell(int col, int row) const {
    if (col < 0 || col >= Col_Count() || row < 0 || row >= Row_Count()) {
        return {};
    }
    return model_->Text(col, row);
}

QString TFormatStringGrid::Cell_Hint(int col, int row) const {
    if (col < 0 || col >= Col_Count() || row < 0 || row >= Row_Count()) {
        return {};
    }
    return model_->Hint(col, row);
}

void TFormatStringGrid::Set_Cell_Hint(int col, int row, const QString& hint) {
    if (col < 0 || col >= Col_Count() || row < 0 || row >= Row_Count()) {
        return;
    }
    model_->Set_Hint(col, row, hint);
}

void TFormatStringGrid::Set_Cell(int col, int row, const QString& text) {
    if (col < 0 || col >= Col_Count() || row < 0 || row >= Row_Count()) {
        return;
    }
    model_->Set_Text(col, row, text);
    // Data cells repaint through the model; fixed cells are not in the view.
    if (!detail::Is_Data_Cell(*this, col, row)) {
        Repaint_All();
    }
}

int TFormatStringGrid::Col_Width(int col) const {
    return col >= 0 && col < Col_Count() ? col_widths_[static_cast<std::size_t>(col)] : 0;
}

void TFormatStringGrid::Set_Col_Width(int col, int width) {
    if (col < 0 || col >= Col_Count() || col_widths_[static_cast<std::size_t>(col)] == width) {
        return;
    }
    col_widths_[static_cast<std::size_t>(col)] = width;
    Apply_Column(col);
    if (col < fixed_cols_) {
        Apply_Fixed_Extents();
        Repaint_All();
    }
}

int TFormatStringGrid::Row_Height(int row) const {
    return row >= 0 && row < Row_Count() ? row_heights_[static_cast<std::size_t>(row)] : 0;
}

void TFormatStringGrid::Set_Row_Height(int row, int height) {
    if (row < 0 || row >= Row_Count() || row_heights_[static_cast<std::size_t>(row)] == height) {
        return;
    }
    row_heights_[static_cast<std::size_t>(row)] = height;
    Apply_Row(row);
    if (row < fixed_rows_) {
        Apply_Fixed_Extents();
        Repaint_All();
    }
}

void TFormatStringGrid::Set_Default_Col_Width(int width) {
    default_col_width_ = width;
    top_->setDefaultSectionSize(std::max(width, 0) + line_width_);
    std::fill(col_widths_.begin(), col_widths_.end(), width);
    Apply_All_Columns();
    Apply_Fixed_Extents();
    Repaint_All();
}

void TFormatStringGrid::Set_Default_Row_Height(int height) {
    default_row_height_ = height;
    left_->setDefaultSectionSize(std::max(height, 0) + line_width_);
    std::fill(row_heights_.begin(), row_heights_.end(), height);
    Apply_All_Rows();
    Apply_Fixed_Extents();
    Repaint_All();
}

void TFormatStringGrid::Set_Grid_Line_Width(int width) {
    width = std::max(width, 0);
    if (width == line_width_) {
        return;
    }
    line_width_ = width;
    top_->setDefaultSectionSize(std::max(default_col_width_, 0) + line_width_);
    left_->setDefaultSectionSize(std::max(default_row_height_, 0) + line_width_);
    Apply_All_Columns();
    Apply_All_Rows();
    Apply_Fixed_Extents();
    Repaint_All();
}

QRect TFormatStringGrid::Selection() const {
    return {QPoint(std::min(anchor_.x(), current_.x()), std::min(anchor_.y(), current_.y())),
            QPoint(std::max(anchor_.x(), current_.x()), std::max(anchor_.y(), current_.y()))};
}

void TFormatStringGrid::Set_Selection(const QRect& cells) {
    const QPoint topLeft(std::min(cells.left(), cells.right()),
                         std::min(cells.top(), cells.bottom()));
    const QPoint bottomRight(std::max(cells.left(), cells.right()),
                             std::max(cells.top(), cells.bottom()));
    Set_Anchor_And_Current(topLeft, bottomRight);
}

void TFormatStringGrid::Select_Rows(int top, int bottom) {
    Set_Anchor_And_Current(QPoint(Col_Count() - 1, std::min(top, bottom)),
                           QPoint(fixed_cols_, std::max(top, bottom)));
}

void TFormatStringGrid::Set_Current_Cell(int col, int row) {
    Set_Anchor_And_Current(QPoint(col, row), QPoint(col, row));
    view_->scrollTo(model_->index(current_.y(), current_.x()));
}

void TFormatStringGrid::Scroll_To(int col, int row) {
    const QPoint cell = Clamp_To_Data(QPoint(col, row));
    view_->scrollTo(model_->index(cell.y(), cell.x()));
}

QRect TFormatStringGrid::Cell_Rect(int col, int row) const {
    using detail::Col_Pitch;
    using detail::Row_Pitch;
    if (col < 0 || col >= Col_Count() || row < 0 || row >= Row_Count() ||
        Col_Pitch(*this, col) == 0 || Row_Pitch(*this, row) == 0) {
        return {};
    }
    QRect section;
    if (detail::Is_Data_Cell(*this, col, row)) {
        section = view_->visualRect(model_->index(row, col))
                      .translated(view_->viewport()->mapTo(this, QPoint(0, 0)));
    } else if (col >= fixed_cols_) {
        section = QRect(top_->sectionViewportPosition(col), detail::Rows_Extent(*this, row),
                        top_->sectionSize(col), Row_Pitch(*this, row))
                      .translated(top_->viewport()->mapTo(this, QPoint(0, 0)));
    } else if (row >= fixed_rows_) {
        section = QRect(detail::Cols_Extent(*this, col), left_->sectionViewportPosition(row),
                        Col_Pitch(*this, col), left_->sectionSize(row))
                      .translated(left_->viewport()->mapTo(this, QPoint(0, 0)));
    } else {
        section = QRect(detail::Cols_Extent(*this, col), detail::Rows_Extent(*this, row),
                        Col_Pitch(*this, col), Row_Pitch(*this, row))
                      .translated(corner_->mapTo(this, QPoint(0, 0)));
    }
    if (section.isEmpty()) {
        return {};
    }
    return {section.x(), section.y(), std::max(section.width() - line_width_, 0),
            std::max(section.height() - line_width_, 0)};
}

void TFormatStringGrid::Set_Color(const Grid_Color& color) {
    color_ = color;
    Repaint_All();
}

void TFormatStringGrid::Set_Fixed_Color(const Grid_Color& color) {
    fixed_color_ = color;
    Repaint_All();
}

void TFormatStringGrid::Set_Font_Color(const Grid_Color& color) {
    font_color_ = color;
    Repaint_All();
}

void TFormatStringGrid::Set_FixedLineColor(const Grid_Color& color) {
    fixed_line_color_ = color;
    Repaint_All();
}

void TFormatStringGrid::Set_GridLineColor(const Grid_Color& color) {
    grid_line_color_ = color;
    Repaint_All();
}

void TFormatStringGrid::Set_SelectedColor(const Grid_Color& color) {
    selected_color_ = color;
    Repaint_All();
}

void TFormatStringGrid::Set_SelectedTextColor(const Grid_Color& color) {
    selected_text_color_ = color;
    Repaint_All();
}

void TFormatStringGrid::Set_MultiLine(bool multi_line) {
    multi_line_ = multi_line;
    Repaint_All();
}

void TFormatStringGrid::Set_Raised_Fixed_Cells(bool raised) {
    raised_fixed_cells_ = raised;
    Repaint_All();
}

void TFormatStringGrid::Set_OnCellProps(Cell_Props_Handler handler) {
    on_cell_props_ = std::move(handler);
    Repaint_All();
}

void TFormatStringGrid::Move_Column(int from, int to) {
    if (from < 0 || from >= Col_Count() || to < 0 || to >= Col_Count() || from == to) {
        return;
    }
    columns_.Move(from, to);
    detail::Move_Element(col_widths_, from, to);
    model_->Move_Col(from, to);
    for (int col = std::min(from, to); col <= std::max(from, to); ++col) {
        Apply_Column(col);
    }
    Apply_Fixed_Extents();
    Repaint_All();
}

QPoint TFormatStringGrid::Clamp_To_Data(QPoint cell) const {
    return {std::clamp(cell.x(), fixed_cols_, Col_Count() - 1),
            std::clamp(cell.y(), fixed_rows_, Row_Count() - 1)};
}

void TFormatStringGrid::Set_Anchor_And_Current(QPoint anchor, QPoint current) {
    anchor = Clamp_To_Data(anchor);
    current = Clamp_To_Data(current);
    const bool changed = anchor != anchor_ || current != current_;
    anchor_ = anchor;
    current_ = current;
    Sync_Current_Index();
    if (changed) {
        view_->viewport()->update();
        emit Selection_Changed();
    }
}

// The view's own current index drives its keyboard movement.
void TFormatStringGrid::Sync_Current_Index() {
    QItemSelectionModel* selection = view_->selectionModel();
    const QModelIndex index = model_->index(current_.y(), current_.x());
    if (selection != nullptr && selection->currentIndex() != index) {
        selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
}

// Fixed columns are painted by the left strip, not by the view.
void TFormatStringGrid::Apply_Column(int col) {
    const int width = col_widths_[static_cast<std::size_t>(col)];
    const bool hidden = col < fixed_cols_ || width <= 0;
    if (view_->isColumnHidden(col) != hidden) {
        view_->setColumnHidden(col, hidden);
    }
    if (!hidden && top_->sectionSize(col) != width + line_width_) {
        top_->resizeSection(col, width + line_width_);
    }
}

void TFormatStringGrid::Apply_Row(int row) {
    const int height = row_heights_[static_cast<std::size_t>(row)];
    const bool hidden = row < fixed_rows_ || height <= 0;
    if (view_->isRowHidden(row) != hidden) {
        view_->setRowHidden(row, hidden);
    }
    if (!hidden && left_->sectionSize(row) != height + line_width_) {
        left_->resizeSection(row, height + line_width_);
    }
}

void TFormatStringGrid::Apply_All_Columns() {
    for (int col = 0; col < Col_Count(); ++col) {
        Apply_Column(col);
    }
}

void TFormatStringGrid::Apply_All_Rows() {
    for (int row = 0; row < Row_Count(); ++row) {
        Apply_Row(row);
    }
}

void TFormatStringGrid::Apply_Fixed_Extents() {
    const int height = detail::Rows_Extent(*this, fixed_rows_);
    top_->setFixedHeight(height);
    top_->setVisible(height > 0);
    const int width = detail::Cols_Extent(*this, fixed_cols_);
    left_->setFixedWidth(width);
    left_->setVisible(width > 0);
    view_->Relayout();
}

void TFormatStringGrid::Set_Sort_Indicator(int col, Qt::SortOrder order) {
    if (col == sort_indicator_col_ && order == sort_indicator_order_) {
        return;
    }
    sort_indicator_col_ = col;
    sort_indicator_order_ = order;
    top_->viewport()->update();
    corner_->update();
}

void TFormatStringGrid::Repaint_All() {
    view_->viewport()->update();
    top_->viewport()->update();
    left_->viewport()->update();
    corner_->update();
}

}  // namespace tessaly
