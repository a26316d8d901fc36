#pragma once

#include "widgets/format_columns.h"
#include "widgets/grid_color.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

namespace tessaly {

namespace detail {
class Grid_Model;
class Grid_View;
class Fixed_Header;
class Fixed_Corner;
struct Grid_Access;
}  // namespace detail

class TFormatStringGrid;

struct Cell_State {
    bool selected = false;
    // The current cell while the grid has the keyboard focus.
    bool focused = false;
    // In a fixed row or a fixed column.
    bool fixed = false;
};

// What one cell is about to be painted with; the OnCellProps handler may
// change any of it.
struct Cell_Props {
    QColor background;
    QFont font;
    QColor text_color;
    Cell_Alignment alignment = Cell_Alignment::Left;
    QString text;
};

using Cell_Props_Handler = std::function<void(TFormatStringGrid& grid, Cell_Props& props,
                                              Cell_State state, int row, int col)>;

// A read-only text grid whose columns carry their own colours, fonts and
// alignments. Cells are addressed as (column, row), both from 0. The first
// Fixed_Rows() rows and Fixed_Cols() columns are fixed: they do not scroll
// away and cannot be selected. The selection is one rectangle of data
// cells; the current cell is one of its corners.
//
// Widths and heights are those of the cells without their grid lines, so a
// column takes Col_Width() + Grid_Line_Width() pixels. A column or row of width
// or height 0 or less is not shown.
class TFormatStringGrid : public QWidget {
    Q_OBJECT

public:
    explicit TFormatStringGrid(QWidget* parent = nullptr);
    ~TFormatStringGrid() override;

    // Counts are at least 1. The fixed counts stay below them: lowering
    // Row_Count() to Fixed_Rows() or less lowers Fixed_Rows() too.
    int Col_Count() const;
    void Set_Col_Count(int count);
    int Row_Count() const;
    void Set_Row_Count(int count);
    int Fixed_Cols() const { return fixed_cols_; }
    void Set_Fixed_Cols(int count);
    int Fixed_Rows() const { return fixed_rows_; }
    void Set_Fixed_Rows(int count);

    // Outside the grid a cell reads as empty and writes are dropped.
    QString Cell(int col, int row) const;
    void Set_Cell(int col, int row, const QString& text);
    // A data cell's hint: its tooltip, and its description for screen
    // readers; empty for none. It stays with the cell, as its text does.
    QString Cell_Hint(int col, int row) const;
    void Set_Cell_Hint(int col, int row, const QString& hint);

    int Col_Width(int col) const;
    void Set_Col_Width(int col, int width);
    int Row_Height(int row) const;
    void Set_Row_Height(int row, int height);
    // Setting a default resizes every column (row) to it.
    int Default_Col_Width() const { return default_col_width_; }
    void Set_Default_Col_Width(int width);
    int Default_Row_Height() const { return default_row_height_; }
    void Set_Default_Row_Height(int height);
    int Grid_Line_Width() const { return line_width_; }
    void Set_Grid_Line_Width(int width);

    // The selected rectangle in cells: left and right are columns, top and
    // bottom rows, all inclusive, as in QRect(QPoint(left, top),
    // QPoint(right, bottom)). Setting it keeps it inside the data cells;
    // top-left becomes the anchor and bottom-right the current cell.
    QRect Selection() const;
    void Set_Selection(const QRect& cells);
    // Selects rows top to bottom across every data column, the current cell
    // in the first data column of the bottom row.
    void Select_Rows(int top, int bottom);
    int Col() const { return current_.x(); }
    int Row() const { return current_.y(); }
    // Collapses the selection to one cell and scrolls it into view.
    void Set_Current_Cell(int col, int row);
    // Scrolls the data cell into view, leaving the selection as it is.
    void Scroll_To(int col, int row);

    // The only data row stands in for an empty list: screen readers read no
    // rows then.
    bool Placeholder_Row() const { return placeholder_row_; }
    void Set_Placeholder_Row(bool placeholder) { placeholder_row_ = placeholder; }

    // The cell's rectangle without its grid lines, in this widget's
    // coordinates; empty for a hidden cell or one outside the grid. A cell
    // scrolled out of view gets a rectangle outside the visible area.
    QRect Cell_Rect(int col, int row) const;

    // Background of data cells in fixed columns and of the area past the
    // last cell; initial colour of new column items.
    const Grid_Color& Color() const { return color_; }
    void Set_Color(const Grid_Color& color);
    // Initial header colour of new column items; background of fixed
    // columns in data rows.
    const Grid_Color& Fixed_Color() const { return fixed_color_; }
    void Set_Fixed_Color(const Grid_Color& color);
    // The colour of the grid's font.
    const Grid_Color& Font_Color() const { return font_color_; }
    void Set_Font_Color(const Grid_Color& color);

    const Grid_Color& FixedLineColor() const { return fixed_line_color_; }
    void Set_FixedLineColor(const Grid_Color& color);
    const Grid_Color& GridLineColor() const { return grid_line_color_; }
    void Set_GridLineColor(const Grid_Color& color);
    const Grid_Color& SelectedColor() const { return selected_color_; }
    void Set_SelectedColor(const Grid_Color& color);
    const Grid_Color& SelectedTextColor() const { return selected_text_color_; }
    void Set_SelectedTextColor(const Grid_Color& color);

    bool MultiLine() const { return multi_line_; }
    void Set_MultiLine(bool multi_line);

    // Fixed cells get a raised edge, as buttons do.
    bool Raised_Fixed_Cells() const { return raised_fixed_cells_; }
    void Set_Raised_Fixed_Cells(bool raised);

    const Cell_Props_Handler& OnCellProps() const { return on_cell_props_; }
    void Set_OnCellProps(Cell_Props_Handler handler);

    TFormatColumns& Columns() { return columns_; }
    const TFormatColumns& Columns() const { return columns_; }
    void Set_Columns(const TFormatColumns& columns) { columns_.Assign(columns); }

    // Moves a column with its cells, width and formatting.
    void Move_Column(int from, int to);

    // A small arrow in the last fixed row of the column the rows are sorted
    // by, pointing up for ascending; a column of -1 shows none.
    int Sort_Indicator_Column() const { return sort_indicator_col_; }
    Qt::SortOrder Sort_Indicator_Order() const { return sort_indicator_order_; }
    void Set_Sort_Indicator(int col, Qt::SortOrder order);

signals:
    // A left-button click that began on a data cell.
    void Clicked();
    void Selection_Changed();
    // A left-button click that began and ended on the same fixed cell.
    void Fixed_Cell_Clicked(int col, int row);
    // A left-button double click on a data cell, after its press selected it.
    void Cell_Double_Clicked(int col, int row);

private:
    // The grid's own parts reach the selection anchor and the repaint
    // through it; everything else they use is public.
    friend struct detail::Grid_Access;

    QPoint Clamp_To_Data(QPoint cell) const;
    void Set_Anchor_And_Current(QPoint anchor, QPoint current);
    void Sync_Current_Index();
    void Apply_Column(int col);
    void Apply_Row(int row);
    void Apply_All_Columns();
    void Apply_All_Rows();
    void Apply_Fixed_Extents();
    void Repaint_All();

    detail::Grid_Model* model_;
    detail::Grid_View* view_;
    detail::Fixed_Header* top_;
    detail::Fixed_Header* left_;
    detail::Fixed_Corner* corner_;
    TFormatColumns columns_;

    std::vector<int> col_widths_;
    std::vector<int> row_heights_;
    int fixed_cols_ = 0;
    int fixed_rows_ = 0;
    int default_col_width_ = 64;
    int default_row_height_ = 24;
    int line_width_ = 1;
    // Cells as (column, row).
    QPoint anchor_;
    QPoint current_;

    Grid_Color color_{QPalette::Base};
    Grid_Color fixed_color_{QPalette::Button};
    Grid_Color font_color_{QPalette::Text};
    Grid_Color fixed_line_color_{Qt::black};
    Grid_Color grid_line_color_{QColor(192, 192, 192)};
    Grid_Color selected_color_{QPalette::Highlight};
    Grid_Color selected_text_color_{QPalette::HighlightedText};
    bool multi_line_ = false;
    bool raised_fixed_cells_ = true;
    Cell_Props_Handler on_cell_props_;
    int sort_indicator_col_ = -1;
    bool placeholder_row_ = false;
    Qt::SortOrder sort_indicator_order_ = Qt::AscendingOrder;
};

}  // namespace tessaly
