#pragma once

#include <vector>

class QListWidget;
class QObject;

namespace tessaly {

class TFormatStringGrid;

// The main window's design values for what follows a control's font.
inline constexpr int Grid_Design_Row_Height = 24;

// What the proportional rescaling does not reach through a control's own
// font: the fonts the grid's column items own and the grid's row height, the
// icons of buttons, and the indicators of radio buttons and check boxes,
// which the style sizes. Each follows its
// control's font in the proportion of that font to the font the record holds
// for the control, so that they grow and shrink with every label. Nothing
// happens before the record exists.
void Scale_Font_Followers(const QListWidget& scaling_list_box,
                          const std::vector<QObject*>& components, int design_icon_size);

// The column items take the grid's font size, each keeping its own face and
// weight; rows are as high as the design's in the same proportion, and never
// lower than a line of the tallest font with the cell's margins.
void Fit_Grid_To_Its_Font(TFormatStringGrid& grid, int design_points, int design_row_height);

}  // namespace tessaly
