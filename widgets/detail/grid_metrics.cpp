#include "widgets/detail/grid_metrics.h"

#include "widgets/format_string_grid.h"

namespace tessaly::detail {

namespace {

int Pitch(int size, int line_width) {
    return size > 0 ? size + line_width : 0;
}

}  // namespace

int Col_Pitch(const TFormatStringGrid& grid, int col) {
    return Pitch(grid.Col_Width(col), grid.Grid_Line_Width());
}

int Row_Pitch(const TFormatStringGrid& grid, int row) {
    return Pitch(grid.Row_Height(row), grid.Grid_Line_Width());
}

int Cols_Extent(const TFormatStringGrid& grid, int count) {
    int extent = 0;
    for (int col = 0; col < count; ++col) {
        extent += Col_Pitch(grid, col);
    }
    return extent;
}

int Rows_Extent(const TFormatStringGrid& grid, int count) {
    int extent = 0;
    for (int row = 0; row < count; ++row) {
        extent += Row_Pitch(grid, row);
    }
    return extent;
}

bool Is_Data_Cell(const TFormatStringGrid& grid, int col, int row) {
    return col >= grid.Fixed_Cols() && col < grid.Col_Count() && row >= grid.Fixed_Rows() &&
           row < grid.Row_Count();
}

}  // namespace tessaly::detail
