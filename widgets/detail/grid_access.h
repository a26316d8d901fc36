#pragma once

#include "widgets/format_string_grid.h"

#include <QPoint>

namespace tessaly::detail {

// What the grid's own parts (its view, fixed strips and column items) may do
// beyond the grid's public face. Only widgets/ includes this.
struct Grid_Access {
    // The corner of the selection that stays put while it grows.
    static QPoint Anchor(const TFormatStringGrid& grid) { return grid.anchor_; }
    // Unlike Set_Selection, keeps the anchor where it is even when it is not
    // the top-left corner, as dragging and Shift-arrows need.
    static void Select(TFormatStringGrid& grid, QPoint anchor, QPoint current) {
        grid.Set_Anchor_And_Current(anchor, current);
    }
    // Every part of the grid paints anew: the view and the fixed strips.
    static void Repaint_All(TFormatStringGrid& grid) { grid.Repaint_All(); }
};

}  // namespace tessaly::detail
