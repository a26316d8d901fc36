#pragma once

#include "widgets/grid_color.h"

#include <QFont>
#include <QString>

#include <memory>
#include <vector>

namespace tessaly {

class TFormatStringGrid;

enum class Cell_Alignment { Left, Right, Centre };

// The formatting of one grid column. Items are made and destroyed only by
// the grid's column-count bookkeeping, so a reference to one stays valid
// until its column goes.
class TFormatColumnItem {
public:
    TFormatColumnItem(const TFormatColumnItem&) = delete;
    TFormatColumnItem& operator=(const TFormatColumnItem&) = delete;

    int Index() const { return index_; }
    TFormatStringGrid& Grid() const { return *grid_; }

    // Fixed-row cells of this column.
    const Grid_Color& HeaderColor() const { return header_color_; }
    void Set_HeaderColor(const Grid_Color& color);
    const QFont& HeaderFont() const { return header_font_; }
    void Set_HeaderFont(const QFont& font);
    const Grid_Color& Header_Font_Color() const { return header_font_color_; }
    void Set_Header_Font_Color(const Grid_Color& color);
    Cell_Alignment HeaderAlignment() const { return header_alignment_; }
    void Set_HeaderAlignment(Cell_Alignment alignment);

    // The text of this column's cell in row 0; not kept in the item.
    QString Caption() const;
    void Set_Caption(const QString& caption);

    // Data cells of this column.
    const Grid_Color& Color() const { return color_; }
    void Set_Color(const Grid_Color& color);
    const QFont& Font() const { return font_; }
    void Set_Font(const QFont& font);
    const Grid_Color& Font_Color() const { return font_color_; }
    void Set_Font_Color(const Grid_Color& color);
    Cell_Alignment Alignment() const { return alignment_; }
    void Set_Alignment(Cell_Alignment alignment);

    // The grid's width of this column; not kept in the item.
    int Width() const;
    void Set_Width(int width);

    // Copies header colour, header font, colour, font, alignment, header
    // alignment and caption (the width stays).
    void Assign(const TFormatColumnItem& source);

private:
    // The list makes the items and renumbers them when columns move.
    friend class TFormatColumns;
    TFormatColumnItem(TFormatStringGrid& grid, int index);
    void Changed() const;

    TFormatStringGrid* grid_;
    int index_;
    Grid_Color header_color_;
    QFont header_font_;
    Grid_Color header_font_color_;
    Cell_Alignment header_alignment_ = Cell_Alignment::Left;
    Grid_Color color_;
    QFont font_;
    Grid_Color font_color_;
    Cell_Alignment alignment_ = Cell_Alignment::Left;
};

// The grid's column list: exactly one item per grid column, item i
// formatting column i.
class TFormatColumns {
public:
    TFormatColumns(const TFormatColumns&) = delete;
    TFormatColumns& operator=(const TFormatColumns&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    // Both throw std::out_of_range outside 0..Count()-1.
    TFormatColumnItem& operator[](int index) const;
    TFormatColumnItem& At(int index) const { return (*this)[index]; }
    TFormatStringGrid& Grid() const { return *grid_; }

    // Gives the owning grid as many columns as the source has and assigns
    // each item in turn.
    void Assign(const TFormatColumns& source);

private:
    // Only the owning grid sizes and reorders the list, in step with its
    // columns.
    friend class TFormatStringGrid;
    explicit TFormatColumns(TFormatStringGrid& grid) : grid_(&grid) {}
    void Resize(int count);
    void Move(int from, int to);

    TFormatStringGrid* grid_;
    std::vector<std::unique_ptr<TFormatColumnItem>> items_;
};

}  // namespace tessaly
