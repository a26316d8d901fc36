#pragma once

#include "widgets/format_string_grid.h"

class QPainter;
class QRect;

namespace tessaly::detail {

// Paints one cell into its section: the cell and, at its right and bottom,
// its share of the grid lines. The fixed strips and the view both paint
// through here, so that every cell looks alike whoever paints it. Returns
// the part of the cell its text takes; empty without text.
QRect Paint_Cell(TFormatStringGrid& grid, QPainter& painter, int col, int row, const QRect& section,
                 Cell_State state);

// A cell of the scrolling view, its state taken from the selection and from
// whether the view has the focus.
void Paint_View_Cell(TFormatStringGrid& grid, QPainter& painter, int col, int row,
                     const QRect& section, bool view_focused);

}  // namespace tessaly::detail
