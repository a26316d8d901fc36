#include "widgets/detail/fixed_header.h"

#include "widgets/detail/cell_painter.h"
#include "widgets/detail/grid_metrics.h"
#include "widgets/format_string_grid.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <utility>

namespace tessaly::detail {

Fixed_Header::Fixed_Header(Qt::Orientation orientation, TFormatStringGrid& grid)
    : QHeaderView(orientation), grid_(grid) {
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
    setMinimumSectionSize(0);
    setSectionResizeMode(QHeaderView::Fixed);
    setFocusPolicy(Qt::NoFocus);
}

void Fixed_Header::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect area = event->rect();
    painter.fillRect(area, grid_.Color().Resolve(grid_.palette()));
    const int sections = count();
    if (sections == 0) {
        return;
    }
    const bool horizontal = orientation() == Qt::Horizontal;
    const int first = visualIndexAt(horizontal ? area.left() : area.top());
    const int last = visualIndexAt(horizontal ? area.right() : area.bottom());
    for (int visual = first < 0 ? 0 : first; visual <= (last < 0 ? sections - 1 : last); ++visual) {
        const int logical = logicalIndex(visual);
        if (logical >= 0 && !isSectionHidden(logical)) {
            Paint_Section(painter, logical);
        }
    }
}

// A section of the top strip is one column's fixed rows; one of the left
// strip is one row's fixed columns.
void Fixed_Header::Paint_Section(QPainter& painter, int logical) {
    const Cell_State fixed{.selected = false, .focused = false, .fixed = true};
    const int pos = sectionViewportPosition(logical);
    const int size = sectionSize(logical);
    if (orientation() == Qt::Horizontal) {
        int y = 0;
        for (int row = 0; row < grid_.Fixed_Rows(); ++row) {
            const int height = Row_Pitch(grid_, row);
            if (height > 0) {
                const QRect cell(pos, y, size, height);
                const QRect title = Paint_Cell(grid_, painter, logical, row, cell, fixed);
                if (logical == grid_.Sort_Indicator_Column() && row == grid_.Fixed_Rows() - 1) {
                    Paint_Sort_Indicator(painter, cell, title);
                }
            }
            y += height;
        }
    } else {
        int x = 0;
        for (int col = 0; col < grid_.Fixed_Cols(); ++col) {
            const int width = Col_Pitch(grid_, col);
            if (width > 0) {
                Paint_Cell(grid_, painter, col, logical, QRect(x, pos, width, size), fixed);
            }
            x += width;
        }
    }
}

// A small filled triangle in the title's colour, beside the title and never
// over it: in the free space to its right, as large as the row allows, smaller
// where the space is short, and left out where there is none.
void Fixed_Header::Paint_Sort_Indicator(QPainter& painter, const QRect& cell, const QRect& title) {
    const QRect inner = cell.adjusted(2, 2, -3, -3);
    const int wanted = std::max(cell.height() / 4, 3);
    const int gap = std::max(wanted / 2, 2);
    const int from = title.isEmpty() ? inner.left() : title.right() + 1 + gap;
    const int room = inner.right() + 1 - from;
    const int size = std::min(wanted, room / 2);
    if (size < 2) {
        return;
    }
    // Level with the title's line, or the cell's middle when it has none.
    const double middle =
        title.isEmpty() ? cell.center().y() + 0.5 : title.top() + title.height() / 2.0;
    // Put at the right of a cell without a title, as before.
    const double left = title.isEmpty() ? inner.right() + 1.0 - 2.0 * size : from;
    const QPointF tip_base(left + size, middle);
    const double half = size;
    const double rise = size * 0.6;
    const bool up = grid_.Sort_Indicator_Order() == Qt::AscendingOrder;
    const QPolygonF arrow = up ? QPolygonF({{tip_base.x() - half, tip_base.y() + rise},
                                            {tip_base.x() + half, tip_base.y() + rise},
                                            {tip_base.x(), tip_base.y() - rise}})
                               : QPolygonF({{tip_base.x() - half, tip_base.y() - rise},
                                            {tip_base.x() + half, tip_base.y() - rise},
                                            {tip_base.x(), tip_base.y() + rise}});
    const int col = grid_.Sort_Indicator_Column();
    const QColor color = col < grid_.Columns().Count()
                             ? grid_.Columns()[col].Header_Font_Color().Resolve(grid_.palette())
                             : grid_.palette().color(QPalette::ButtonText);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPolygon(arrow);
    painter.restore();
}

QPoint Fixed_Header::Cell_At(QPoint pos) const {
    const bool horizontal = orientation() == Qt::Horizontal;
    const int logical = logicalIndexAt(horizontal ? pos.x() : pos.y());
    if (logical < 0) {
        return {-1, -1};
    }
    const int across = horizontal ? pos.y() : pos.x();
    const int fixed = horizontal ? grid_.Fixed_Rows() : grid_.Fixed_Cols();
    int start = 0;
    for (int i = 0; i < fixed; ++i) {
        const int pitch = horizontal ? Row_Pitch(grid_, i) : Col_Pitch(grid_, i);
        if (across >= start && across < start + pitch) {
            return horizontal ? QPoint(logical, i) : QPoint(i, logical);
        }
        start += pitch;
    }
    return {-1, -1};
}

// A press on a fixed cell takes the focus to the grid; a click on one is
// reported.
void Fixed_Header::mousePressEvent(QMouseEvent* event) {
    grid_.setFocus(Qt::MouseFocusReason);
    pressed_cell_ =
        event->button() == Qt::LeftButton ? Cell_At(event->position().toPoint()) : QPoint(-1, -1);
    event->accept();
}

void Fixed_Header::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint cell = Cell_At(event->position().toPoint());
    const QPoint pressed = std::exchange(pressed_cell_, QPoint(-1, -1));
    if (cell.x() >= 0 && cell == pressed) {
        emit grid_.Fixed_Cell_Clicked(cell.x(), cell.y());
    }
}

}  // namespace tessaly::detail
