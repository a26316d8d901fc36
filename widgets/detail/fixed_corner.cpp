#include "widgets/detail/fixed_corner.h"

#include "widgets/detail/cell_painter.h"
#include "widgets/detail/grid_metrics.h"
#include "widgets/format_string_grid.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace tessaly::detail {

void Fixed_Corner::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), grid_.Color().Resolve(grid_.palette()));
    const Cell_State fixed{.selected = false, .focused = false, .fixed = true};
    int y = 0;
    for (int row = 0; row < grid_.Fixed_Rows(); ++row) {
        const int height = Row_Pitch(grid_, row);
        int x = 0;
        for (int col = 0; col < grid_.Fixed_Cols(); ++col) {
            const int width = Col_Pitch(grid_, col);
            if (width > 0 && height > 0) {
                Paint_Cell(grid_, painter, col, row, QRect(x, y, width, height), fixed);
            }
            x += width;
        }
        y += height;
    }
}

// A press on a fixed cell only takes the focus to the grid.
void Fixed_Corner::mousePressEvent(QMouseEvent* event) {
    grid_.setFocus(Qt::MouseFocusReason);
    event->accept();
}

}  // namespace tessaly::detail
