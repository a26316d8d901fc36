#pragma once

namespace tessaly {

class TFormatStringGrid;

// The entry commands turn selected grid rows straight into list positions.
int Selected_Top_Row(const TFormatStringGrid& grid);
int Selected_Row_Count(const TFormatStringGrid& grid);

// Keeps the selected rows and widens the selection across every data column.
void Select_Whole_Rows(TFormatStringGrid& grid);

// Selects one row across every data column; the current cell is its first
// column, where a screen reader starts reading the row.
void Select_Row(TFormatStringGrid& grid, int row);

}  // namespace tessaly
