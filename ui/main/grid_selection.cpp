#include "ui/main/grid_selection.h"

#include "widgets/format_string_grid.h"

namespace tessaly {

namespace {

void Select_Rows(TFormatStringGrid& grid, int top, int bottom) {
    grid.Select_Rows(top, bottom);
}

}  // namespace

int Selected_Top_Row(const TFormatStringGrid& grid) {
    return grid.Selection().top();
}

int Selected_Row_Count(const TFormatStringGrid& grid) {
    const QRect selection = grid.Selection();
    return selection.bottom() - selection.top() + 1;
}

void Select_Whole_Rows(TFormatStringGrid& grid) {
    const QRect selection = grid.Selection();
    Select_Rows(grid, selection.top(), selection.bottom());
}

void Select_Row(TFormatStringGrid& grid, int row) {
    Select_Rows(grid, row, row);
}

}  // namespace tessaly
