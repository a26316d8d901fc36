#include "widgets/detail/grid_view.h"

#include "widgets/detail/fixed_corner.h"
#include "widgets/detail/grid_access.h"
#include "widgets/detail/grid_accessible.h"
#include "widgets/detail/grid_metrics.h"
#include "widgets/format_string_grid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>
#include <optional>

namespace tessaly::detail {

Grid_View::Grid_View(TFormatStringGrid& grid) : QTableView(&grid), grid_(grid) {
    setShowGrid(false);
    // The grid keeps its own selection rectangle; the view only tracks the
    // current cell.
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setAutoScroll(false);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
}

void Grid_View::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(viewport());
        painter.fillRect(event->rect(), grid_.Color().Resolve(grid_.palette()));
    }
    QTableView::paintEvent(event);
}

void Grid_View::updateGeometries() {
    QTableView::updateGeometries();
    if (corner_ == nullptr) {
        return;
    }
    const QHeaderView* top = horizontalHeader();
    const QHeaderView* left = verticalHeader();
    const bool shown = !top->isHidden() && !left->isHidden();
    if (shown) {
        corner_->setGeometry(left->geometry().left(), top->geometry().top(), left->width(),
                             top->height());
        corner_->raise();
    }
    corner_->setVisible(shown);
}

// The current cell is painted differently with the focus.
void Grid_View::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    viewport()->update();
    Announce_Grid_Selection(*this);
}

void Grid_View::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    viewport()->update();
}

// The keys that move the current cell; everything else (F2, letters, Enter,
// copy) belongs to the window, not to the grid.
std::optional<Grid_View::CursorAction> Grid_View::Cursor_Action(int key) {
    switch (key) {
        case Qt::Key_Up:
            return MoveUp;
        case Qt::Key_Down:
            return MoveDown;
        case Qt::Key_Left:
            return MoveLeft;
        case Qt::Key_Right:
            return MoveRight;
        case Qt::Key_PageUp:
            return MovePageUp;
        case Qt::Key_PageDown:
            return MovePageDown;
        case Qt::Key_Home:
            return MoveHome;
        case Qt::Key_End:
            return MoveEnd;
        default:
            return std::nullopt;
    }
}

void Grid_View::keyPressEvent(QKeyEvent* event) {
    const std::optional<CursorAction> action = Cursor_Action(event->key());
    if (!action) {
        event->ignore();
        return;
    }
    const QModelIndex next = moveCursor(*action, event->modifiers());
    if (next.isValid() && Is_Data_Cell(grid_, next.column(), next.row())) {
        const QPoint cell(next.column(), next.row());
        const bool extend = (event->modifiers() & Qt::ShiftModifier) != 0;
        Grid_Access::Select(grid_, extend ? Grid_Access::Anchor(grid_) : cell, cell);
        scrollTo(next);
    }
    event->accept();
}

void Grid_View::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    pressed_on_cell_ = false;
    const QModelIndex index = indexAt(event->position().toPoint());
    // The clicked data cell alone becomes the selection whatever the button
    // and modifiers: Shift-click does not extend, a right click selects.
    if (index.isValid() && Is_Data_Cell(grid_, index.column(), index.row())) {
        const QPoint cell(index.column(), index.row());
        Grid_Access::Select(grid_, cell, cell);
        scrollTo(index);
        pressed_on_cell_ = true;
        if (event->button() == Qt::LeftButton) {
            dragging_ = true;
            drag_pos_ = event->position().toPoint();
        }
    }
    event->accept();
}

void Grid_View::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() &&
        Is_Data_Cell(grid_, index.column(), index.row())) {
        // No drag follows a double click; the release must not report a
        // click either.
        dragging_ = false;
        pressed_on_cell_ = false;
        emit grid_.Cell_Double_Clicked(index.column(), index.row());
    }
}

void Grid_View::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || (event->buttons() & Qt::LeftButton) == 0) {
        return;
    }
    drag_pos_ = event->position().toPoint();
    Drag_To(drag_pos_);
    // Outside the cells the selection goes on growing, and scrolling, while
    // the button is held.
    if (viewport()->rect().contains(drag_pos_)) {
        drag_scroll_.stop();
    } else if (!drag_scroll_.isActive()) {
        drag_scroll_.start(60, this);
    }
}

void Grid_View::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const bool clicked = dragging_ && pressed_on_cell_;
        dragging_ = false;
        pressed_on_cell_ = false;
        drag_scroll_.stop();
        if (clicked) {
            emit grid_.Clicked();
        }
    }
    event->accept();
}

void Grid_View::timerEvent(QTimerEvent* event) {
    if (event->timerId() != drag_scroll_.timerId()) {
        QTableView::timerEvent(event);
        return;
    }
    if (dragging_) {
        Drag_To(drag_pos_);
    } else {
        drag_scroll_.stop();
    }
}

void Grid_View::Drag_To(QPoint pos) {
    const QRect area = viewport()->rect();
    if (area.isEmpty()) {
        return;
    }
    int row = rowAt(std::clamp(pos.y(), area.top(), area.bottom()));
    int col = columnAt(std::clamp(pos.x(), area.left(), area.right()));
    // Past the last row or column there is no cell: take the last one.
    row = row < 0 ? Step_Row(grid_.Row_Count(), -1) : row;
    col = col < 0 ? Step_Col(grid_.Col_Count(), -1) : col;
    if (pos.y() > area.bottom()) {
        row = Step_Row(row, 1);
    } else if (pos.y() < area.top()) {
        row = Step_Row(row, -1);
    }
    if (pos.x() > area.right()) {
        col = Step_Col(col, 1);
    } else if (pos.x() < area.left()) {
        col = Step_Col(col, -1);
    }
    Grid_Access::Select(grid_, Grid_Access::Anchor(grid_), QPoint(col, row));
    scrollTo(model()->index(grid_.Row(), grid_.Col()));
}

// The next shown row in the direction of step, or row itself if none.
int Grid_View::Step_Row(int row, int step) const {
    for (int next = row + step; next >= grid_.Fixed_Rows() && next < grid_.Row_Count();
         next += step) {
        if (!isRowHidden(next)) {
            return next;
        }
    }
    return row;
}

int Grid_View::Step_Col(int col, int step) const {
    for (int next = col + step; next >= grid_.Fixed_Cols() && next < grid_.Col_Count();
         next += step) {
        if (!isColumnHidden(next)) {
            return next;
        }
    }
    return col;
}

}  // namespace tessaly::detail
