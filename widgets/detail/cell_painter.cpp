#include "widgets/detail/cell_painter.h"

#include "widgets/detail/grid_metrics.h"

#include <QPainter>
#include <QPen>
#include <QRect>

#include <algorithm>

namespace tessaly::detail {

namespace {

// The colours, font, alignment and text of a cell before the OnCellProps
// handler has its say.
Cell_Props Initial_Props(const TFormatStringGrid& grid, int col, int row, Cell_State state) {
    const QPalette& colours = grid.palette();
    const TFormatColumnItem& item = grid.Columns()[col];
    const bool header = row < grid.Fixed_Rows();
    Cell_Props props;
    if (header) {
        props.background = item.HeaderColor().Resolve(colours);
        props.font = item.HeaderFont();
        props.text_color = item.Header_Font_Color().Resolve_Text_On(item.HeaderColor(), colours);
    } else if (col >= grid.Fixed_Cols()) {
        props.background = item.Color().Resolve(colours);
        props.font = item.Font();
        props.text_color = item.Font_Color().Resolve_Text_On(item.Color(), colours);
    } else {
        props.background = grid.Fixed_Color().Resolve(colours);
        props.font = grid.font();
        props.text_color = grid.Font_Color().Resolve_Text_On(grid.Fixed_Color(), colours);
    }
    if (state.selected) {
        props.background = grid.SelectedColor().Resolve(colours);
        props.text_color = grid.SelectedTextColor().Resolve_Text_On(grid.SelectedColor(), colours);
    }
    props.alignment = header ? item.HeaderAlignment() : item.Alignment();
    props.text = grid.Cell(col, row);
    return props;
}

int Text_Flags(Cell_Alignment alignment, bool multi_line) {
    int flags = Qt::AlignTop | (multi_line ? Qt::TextWordWrap : Qt::TextSingleLine);
    switch (alignment) {
        case Cell_Alignment::Left:
            flags |= Qt::AlignLeft;
            break;
        case Cell_Alignment::Right:
            flags |= Qt::AlignRight;
            break;
        case Cell_Alignment::Centre:
            flags |= Qt::AlignHCenter;
            break;
    }
    return flags;
}

// Text sits 2 pixels inside the cell at its top, cut at that inner
// rectangle rather than shortened, with "&" drawn as itself. Returns the part
// of the inner rectangle the text takes.
QRect Paint_Text(QPainter& painter, const QRect& cell, const Cell_Props& props, bool multi_line) {
    const QRect inner = cell.adjusted(2, 2, -2, -2);
    if (props.text.isEmpty() || inner.width() <= 0 || inner.height() <= 0) {
        return {};
    }
    painter.save();
    painter.setClipRect(inner, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    painter.setFont(props.font);
    painter.setPen(props.text_color);
    QRect taken;
    painter.drawText(inner, Text_Flags(props.alignment, multi_line), props.text, &taken);
    painter.restore();
    return taken.intersected(inner);
}

// The four one-pixel sides of rect, the top and left in one colour and the
// bottom and right in another.
void Paint_Edges(QPainter& painter, const QRect& rect, const QColor& top_left,
                 const QColor& bottom_right) {
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), top_left);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), top_left);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottom_right);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottom_right);
}

// The frame lies on the grid lines round the cell, one ring per pixel of
// line width.
void Paint_Frame(QPainter& painter, const QRect& cell, int line_width, const QColor& colour) {
    QRect ring = cell;
    for (int i = 0; i < line_width; ++i) {
        ring.adjust(-1, -1, 1, 1);
        Paint_Edges(painter, ring, colour, colour);
    }
}

void Paint_Raised_Edge(QPainter& painter, const QRect& cell, const QPalette& colours) {
    Paint_Edges(painter, cell, colours.color(QPalette::Active, QPalette::Light),
                colours.color(QPalette::Active, QPalette::Dark));
}

void Paint_Focus_Frame(QPainter& painter, const QRect& cell, const QColor& colour) {
    QPen dotted(colour, 0);
    dotted.setDashPattern({1.0, 1.0});
    painter.setPen(dotted);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(cell.adjusted(0, 0, -1, -1));
}

}  // namespace

QRect Paint_Cell(TFormatStringGrid& grid, QPainter& painter, int col, int row, const QRect& section,
                 Cell_State state) {
    const int line_width = grid.Grid_Line_Width();
    const QRect cell(section.x(), section.y(), std::max(section.width() - line_width, 0),
                     std::max(section.height() - line_width, 0));
    const QPalette& colours = grid.palette();
    Cell_Props props = Initial_Props(grid, col, row, state);
    if (grid.OnCellProps()) {
        grid.OnCellProps()(grid, props, state, row, col);
    }
    // Edges and the focus frame need room inside the cell to be seen.
    const bool roomy = cell.width() > 1 && cell.height() > 1;

    painter.save();
    painter.fillRect(cell, props.background);
    const QRect text = Paint_Text(painter, cell, props, grid.MultiLine());
    Paint_Frame(painter, cell, line_width,
                (state.fixed ? grid.FixedLineColor() : grid.GridLineColor()).Resolve(colours));
    if (state.fixed && grid.Raised_Fixed_Cells() && roomy) {
        Paint_Raised_Edge(painter, cell, colours);
    }
    if (state.focused && roomy) {
        Paint_Focus_Frame(painter, cell, props.text_color);
    }
    painter.restore();
    return text;
}

void Paint_View_Cell(TFormatStringGrid& grid, QPainter& painter, int col, int row,
                     const QRect& section, bool view_focused) {
    Cell_State state;
    state.fixed = !Is_Data_Cell(grid, col, row);
    if (!state.fixed) {
        state.selected = grid.Selection().contains(col, row);
        state.focused = grid.Col() == col && grid.Row() == row && view_focused;
    }
    Paint_Cell(grid, painter, col, row, section, state);
}

}  // namespace tessaly::detail
