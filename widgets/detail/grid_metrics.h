#pragma once

namespace tessaly {
class TFormatStringGrid;
}

namespace tessaly::detail {

// Section sizes: a cell with its grid line at the right (below), 0 when the
// column (row) is hidden.
int Col_Pitch(const TFormatStringGrid& grid, int col);
int Row_Pitch(const TFormatStringGrid& grid, int row);
// What the first count columns (rows) take together.
int Cols_Extent(const TFormatStringGrid& grid, int count);
int Rows_Extent(const TFormatStringGrid& grid, int count);

// Inside the grid and in neither a fixed row nor a fixed column.
bool Is_Data_Cell(const TFormatStringGrid& grid, int col, int row);

}  // namespace tessaly::detail
