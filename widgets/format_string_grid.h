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
    QColor textColor;
    Cell_Alignment alignment = Cell_Alignment::Left;
    QString text;
};

using Cell_Props_Handler = std::function<void(TFormatStringGrid& grid, Cell_Props& props,
                                              Cell_State state, int row, int col)>;

// A read-only text grid whose columns carry their own colours, fonts and
// alignments. Cells are addressed as (column, row), both from 0. The first
// fixedRows() rows and fixedCols() columns are fixed: they do not scroll
// away and cannot be selected. The selection is one rectangle of data
// cells; the current cell is one of its corners.
//
// Widths and heights are those of the cells without their grid lines, so a
// column takes colWidth() + gridLineWidth() pixels. A column or row of width
// or height 0 or less is not shown.
class TFormatStringGrid : public QWidget {
    Q_OBJECT

public:
    explicit TFormatStringGrid(QWidget* parent = nullptr);
    ~TFormatStringGrid() override;

    // Counts are at least 1. The fixed counts stay below them: lowering
    // rowCount() to fixedRows() or less lowers fixedRows() too.
    int colCount() const;
    void setColCount(int count);
    int rowCount() const;
    void setRowCount(int count);
    int fixedCols() const { return fixed_cols_; }
    void setFixedCols(int count);
    int fixedRows() const { return fixed_rows_; }
    void setFixedRows(int count);

    // Outside the grid a cell reads as empty and writes are dropped.
    QString cell(int col, int row) const;
    void setCell(int col, int row, const QString& text);

    int colWidth(int col) const;
    void setColWidth(int col, int width);
    int rowHeight(int row) const;
    void setRowHeight(int row, int height);
    // Setting a default resizes every column (row) to it.
    int defaultColWidth() const { return default_col_width_; }
    void setDefaultColWidth(int width);
    int defaultRowHeight() const { return default_row_height_; }
    void setDefaultRowHeight(int height);
    int gridLineWidth() const { return line_width_; }
    void setGridLineWidth(int width);

    // The selected rectangle in cells: left and right are columns, top and
    // bottom rows, all inclusive, as in QRect(QPoint(left, top),
    // QPoint(right, bottom)). Setting it keeps it inside the data cells;
    // top-left becomes the anchor and bottom-right the current cell.
    QRect selection() const;
    void setSelection(const QRect& cells);
    int col() const { return current_.x(); }
    int row() const { return current_.y(); }
    // Collapses the selection to one cell and scrolls it into view.
    void setCurrentCell(int col, int row);

    // The cell's rectangle without its grid lines, in this widget's
    // coordinates; empty for a hidden cell or one outside the grid. A cell
    // scrolled out of view gets a rectangle outside the visible area.
    QRect cellRect(int col, int row) const;

    // Background of data cells in fixed columns and of the area past the
    // last cell; initial colour of new column items.
    const Grid_Color& color() const { return color_; }
    void setColor(const Grid_Color& color);
    // Initial header colour of new column items; background of fixed
    // columns in data rows.
    const Grid_Color& fixedColor() const { return fixed_color_; }
    void setFixedColor(const Grid_Color& color);
    // The colour of the grid's font.
    const Grid_Color& fontColor() const { return font_color_; }
    void setFontColor(const Grid_Color& color);

    const Grid_Color& FixedLineColor() const { return fixed_line_color_; }
    void setFixedLineColor(const Grid_Color& color);
    const Grid_Color& GridLineColor() const { return grid_line_color_; }
    void setGridLineColor(const Grid_Color& color);
    const Grid_Color& SelectedColor() const { return selected_color_; }
    void setSelectedColor(const Grid_Color& color);
    const Grid_Color& SelectedTextColor() const { return selected_text_color_; }
    void setSelectedTextColor(const Grid_Color& color);

    bool MultiLine() const { return multi_line_; }
    void setMultiLine(bool multiLine);

    // Fixed cells get a raised edge, as buttons do.
    bool raisedFixedCells() const { return raised_fixed_cells_; }
    void setRaisedFixedCells(bool raised);

    const Cell_Props_Handler& OnCellProps() const { return on_cell_props_; }
    void setOnCellProps(Cell_Props_Handler handler);

    TFormatColumns& Columns() { return columns_; }
    const TFormatColumns& Columns() const { return columns_; }
    void setColumns(const TFormatColumns& columns) { columns_.assign(columns); }

    // Moves a column with its cells, width and formatting.
    void moveColumn(int from, int to);

signals:
    // A left-button click that began on a data cell.
    void clicked();
    void selectionChanged();

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
};

}  // namespace tessaly
