#include "widgets/format_columns.h"

#include "widgets/detail/grid_access.h"
#include "widgets/detail/move_element.h"
#include "widgets/format_string_grid.h"

#include <cstddef>
#include <stdexcept>

namespace tessaly {

// ---------------------------------------------------------------------------
// TFormatColumnItem

TFormatColumnItem::TFormatColumnItem(TFormatStringGrid& grid, int index)
    : grid_(&grid),
      index_(index),
      header_color_(grid.Fixed_Color()),
      header_font_(grid.font()),
      header_font_color_(grid.Font_Color()),
      color_(grid.Color()),
      font_(grid.font()),
      font_color_(grid.Font_Color()) {}

void TFormatColumnItem::Changed() const {
    detail::Grid_Access::Repaint_All(*grid_);
}

void TFormatColumnItem::Set_HeaderColor(const Grid_Color& color) {
    header_color_ = color;
    Changed();
}

void TFormatColumnItem::Set_HeaderFont(const QFont& font) {
    header_font_ = font;
    Changed();
}

void TFormatColumnItem::Set_Header_Font_Color(const Grid_Color& color) {
    header_font_color_ = color;
    Changed();
}

void TFormatColumnItem::Set_HeaderAlignment(Cell_Alignment alignment) {
    if (alignment == header_alignment_) {
        return;
    }
    header_alignment_ = alignment;
    Changed();
}

QString TFormatColumnItem::Caption() const {
    return grid_->Cell(index_, 0);
}

void TFormatColumnItem::Set_Caption(const QString& caption) {
    grid_->Set_Cell(index_, 0, caption);
}

void TFormatColumnItem::Set_Color(const Grid_Color& color) {
    color_ = color;
    Changed();
}

void TFormatColumnItem::Set_Font(const QFont& font) {
    font_ = font;
    Changed();
}

void TFormatColumnItem::Set_Font_Color(const Grid_Color& color) {
    font_color_ = color;
    Changed();
}

void TFormatColumnItem::Set_Alignment(Cell_Alignment alignment) {
    if (alignment == alignment_) {
        return;
    }
    alignment_ = alignment;
    Changed();
}

int TFormatColumnItem::Width() const {
    return grid_->Col_Width(index_);
}

void TFormatColumnItem::Set_Width(int width) {
    grid_->Set_Col_Width(index_, width);
}

void TFormatColumnItem::Assign(const TFormatColumnItem& source) {
    if (&source == this) {
        return;
    }
    header_color_ = source.header_color_;
    header_font_ = source.header_font_;
    header_font_color_ = source.header_font_color_;
    color_ = source.color_;
    font_ = source.font_;
    font_color_ = source.font_color_;
    alignment_ = source.alignment_;
    header_alignment_ = source.header_alignment_;
    Set_Caption(source.Caption());
    Changed();
}

// ---------------------------------------------------------------------------
// TFormatColumns

TFormatColumnItem& TFormatColumns::operator[](int index) const {
    if (index < 0 || index >= Count()) {
        throw std::out_of_range("column item index out of range");
    }
    return *items_[static_cast<std::size_t>(index)];
}

void TFormatColumns::Assign(const TFormatColumns& source) {
    if (&source == this) {
        return;
    }
    grid_->Set_Col_Count(source.Count());
    for (int i = 0; i < source.Count(); ++i) {
        (*this)[i].Assign(source[i]);
    }
}

void TFormatColumns::Resize(int count) {
    while (static_cast<int>(items_.size()) > count) {
        items_.pop_back();
    }
    while (static_cast<int>(items_.size()) < count) {
        // The constructor is private to keep items in step with the columns.
        items_.push_back(std::unique_ptr<TFormatColumnItem>(
            new TFormatColumnItem(*grid_, static_cast<int>(items_.size()))));
    }
}

void TFormatColumns::Move(int from, int to) {
    detail::Move_Element(items_, from, to);
    for (int i = 0; i < Count(); ++i) {
        items_[static_cast<std::size_t>(i)]->index_ = i;
    }
}

}  // namespace tessaly
