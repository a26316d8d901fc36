#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

namespace tessaly {

namespace grid_detail {
class Grid_Model;
class Grid_View;
class Fixed_Header;
class Fixed_Corner;
class Cell_Delegate;
}  // namespace grid_detail

class TFormatStringGrid;

// A colour as the grid keeps it: a fixed RGB value, or a system colour (a
// palette role) that is looked up only when painting, so that it follows the
// desktop's colours. The system colours the grid uses by default are
// QPalette::Button (button face), QPalette::Base (window background),
// QPalette::Text (window text), QPalette::Highlight and
// QPalette::HighlightedText.
class Grid_Color {
public:
    // Implicit, so that a QColor, Qt::black or QPalette::Base can be passed
    // wherever a grid colour is asked for.
    Grid_Color(const QColor& rgb) : rgb_(rgb) {}                          // NOLINT
    Grid_Color(Qt::GlobalColor rgb) : rgb_(rgb) {}                        // NOLINT
    Grid_Color(QPalette::ColorRole role) : role_(role), system_(true) {}  // NOLINT

    bool isSystem() const { return system_; }
    QPalette::ColorRole role() const { return role_; }
    QColor rgb() const { return rgb_; }

    // System colours always come from the active group: a grid paints the
    // same whether or not its window is the active one.
    QColor resolve(const QPalette& palette) const {
        return system_ ? palette.color(QPalette::Active, role_) : rgb_;
    }

    friend bool operator==(const Grid_Color&, const Grid_Color&) = default;

private:
    QColor rgb_;
    QPalette::ColorRole role_ = QPalette::NoRole;
    bool system_ = false;
};

enum class Cell_Alignment { Left, Right, Centre };

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

// The formatting of one grid column. Items are made and destroyed only by
// the grid's column-count bookkeeping, so a reference to one stays valid
// until its column goes.
class TFormatColumnItem {
public:
    TFormatColumnItem(const TFormatColumnItem&) = delete;
    TFormatColumnItem& operator=(const TFormatColumnItem&) = delete;

    int index() const { return index_; }
    TFormatStringGrid& grid() const { return *grid_; }

    // Fixed-row cells of this column.
    const Grid_Color& HeaderColor() const { return headerColor_; }
    void setHeaderColor(const Grid_Color& color);
    const QFont& HeaderFont() const { return headerFont_; }
    void setHeaderFont(const QFont& font);
    const Grid_Color& HeaderFontColor() const { return headerFontColor_; }
    void setHeaderFontColor(const Grid_Color& color);
    Cell_Alignment HeaderAlignment() const { return headerAlignment_; }
    void setHeaderAlignment(Cell_Alignment alignment);

    // The text of this column's cell in row 0; not kept in the item.
    QString Caption() const;
    void setCaption(const QString& caption);

    // Data cells of this column.
    const Grid_Color& Color() const { return color_; }
    void setColor(const Grid_Color& color);
    const QFont& Font() const { return font_; }
    void setFont(const QFont& font);
    const Grid_Color& FontColor() const { return fontColor_; }
    void setFontColor(const Grid_Color& color);
    Cell_Alignment Alignment() const { return alignment_; }
    void setAlignment(Cell_Alignment alignment);

    // The grid's width of this column; not kept in the item.
    int Width() const;
    void setWidth(int width);

    // Copies header colour, header font, colour, font, alignment, header
    // alignment and caption (the width stays).
    void assign(const TFormatColumnItem& source);

private:
    friend class TFormatColumns;
    TFormatColumnItem(TFormatStringGrid& grid, int index);
    void changed() const;

    TFormatStringGrid* grid_;
    int index_;
    Grid_Color headerColor_;
    QFont headerFont_;
    Grid_Color headerFontColor_;
    Cell_Alignment headerAlignment_ = Cell_Alignment::Left;
    Grid_Color color_;
    QFont font_;
    Grid_Color fontColor_;
    Cell_Alignment alignment_ = Cell_Alignment::Left;
};

// The grid's column list: exactly one item per grid column, item i
// formatting column i.
class TFormatColumns {
public:
    TFormatColumns(const TFormatColumns&) = delete;
    TFormatColumns& operator=(const TFormatColumns&) = delete;

    int count() const { return static_cast<int>(items_.size()); }
    // Both throw std::out_of_range outside 0..count()-1.
    TFormatColumnItem& operator[](int index) const;
    TFormatColumnItem& at(int index) const { return (*this)[index]; }
    TFormatStringGrid& grid() const { return *grid_; }

    // Gives the owning grid as many columns as the source has and assigns
    // each item in turn.
    void assign(const TFormatColumns& source);

private:
    friend class TFormatStringGrid;
    explicit TFormatColumns(TFormatStringGrid& grid) : grid_(&grid) {}
    void resize(int count);
    void move(int from, int to);

    TFormatStringGrid* grid_;
    std::vector<std::unique_ptr<TFormatColumnItem>> items_;
};

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
    int fixedCols() const { return fixedCols_; }
    void setFixedCols(int count);
    int fixedRows() const { return fixedRows_; }
    void setFixedRows(int count);

    // Outside the grid a cell reads as empty and writes are dropped.
    QString cell(int col, int row) const;
    void setCell(int col, int row, const QString& text);

    int colWidth(int col) const;
    void setColWidth(int col, int width);
    int rowHeight(int row) const;
    void setRowHeight(int row, int height);
    // Setting a default resizes every column (row) to it.
    int defaultColWidth() const { return defaultColWidth_; }
    void setDefaultColWidth(int width);
    int defaultRowHeight() const { return defaultRowHeight_; }
    void setDefaultRowHeight(int height);
    int gridLineWidth() const { return lineWidth_; }
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
    const Grid_Color& fixedColor() const { return fixedColor_; }
    void setFixedColor(const Grid_Color& color);
    // The colour of the grid's font.
    const Grid_Color& fontColor() const { return fontColor_; }
    void setFontColor(const Grid_Color& color);

    const Grid_Color& FixedLineColor() const { return fixedLineColor_; }
    void setFixedLineColor(const Grid_Color& color);
    const Grid_Color& GridLineColor() const { return gridLineColor_; }
    void setGridLineColor(const Grid_Color& color);
    const Grid_Color& SelectedColor() const { return selectedColor_; }
    void setSelectedColor(const Grid_Color& color);
    const Grid_Color& SelectedTextColor() const { return selectedTextColor_; }
    void setSelectedTextColor(const Grid_Color& color);

    bool MultiLine() const { return multiLine_; }
    void setMultiLine(bool multiLine);

    // Fixed cells get a raised edge, as buttons do.
    bool raisedFixedCells() const { return raisedFixedCells_; }
    void setRaisedFixedCells(bool raised);

    const Cell_Props_Handler& OnCellProps() const { return onCellProps_; }
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
    friend class TFormatColumnItem;
    friend class grid_detail::Grid_View;
    friend class grid_detail::Fixed_Header;
    friend class grid_detail::Fixed_Corner;
    friend class grid_detail::Cell_Delegate;

    void paintCell(QPainter& painter, int col, int row, const QRect& section, Cell_State state);
    void paintDataCell(QPainter& painter, int col, int row, const QRect& section);

    // Section sizes: cell plus grid line, 0 when hidden.
    int colPitch(int col) const;
    int rowPitch(int row) const;
    int fixedColsExtent(int upTo) const;
    int fixedRowsExtent(int upTo) const;

    bool isDataCell(int col, int row) const;
    QPoint clampToData(QPoint cell) const;
    void setAnchorAndCurrent(QPoint anchor, QPoint current);
    void syncCurrentIndex();
    void applyColumn(int col);
    void applyRow(int row);
    void applyFixedExtents();
    void repaintAll();

    grid_detail::Grid_Model* model_;
    grid_detail::Grid_View* view_;
    grid_detail::Fixed_Header* top_;
    grid_detail::Fixed_Header* left_;
    grid_detail::Fixed_Corner* corner_;
    TFormatColumns columns_;

    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    int fixedCols_ = 0;
    int fixedRows_ = 0;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int lineWidth_ = 1;
    // Cells as (column, row).
    QPoint anchor_;
    QPoint current_;

    Grid_Color color_{QPalette::Base};
    Grid_Color fixedColor_{QPalette::Button};
    Grid_Color fontColor_{QPalette::Text};
    Grid_Color fixedLineColor_{Qt::black};
    Grid_Color gridLineColor_{QColor(192, 192, 192)};
    Grid_Color selectedColor_{QPalette::Highlight};
    Grid_Color selectedTextColor_{QPalette::HighlightedText};
    bool multiLine_ = false;
    bool raisedFixedCells_ = true;
    Cell_Props_Handler onCellProps_;
};

}  // namespace tessaly
