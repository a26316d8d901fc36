#include "widgets/detail/fixed_header.h"

#include "widgets/detail/cell_painter.h"
#include "widgets/detail/grid_metrics.h"
#include "widgets/format_string_grid.h"

#include <QPaintEvent>
#include <QPainter>

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
                Paint_Cell(grid_, painter, logical, row, QRect(pos, y, size, height), fixed);
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

// A press on a fixed cell only takes the focus to the grid.
void Fixed_Header::mousePressEvent(QMouseEvent* event) {
    grid_.setFocus(Qt::MouseFocusReason);
    event->accept();
}

}  // namespace tessaly::detail
