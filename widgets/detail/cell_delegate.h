#pragma once

#include <QAbstractItemDelegate>

namespace tessaly {
class TFormatStringGrid;
}

namespace tessaly::detail {

// Paints the view's cells as the grid's cells; it never makes an editor.
class Cell_Delegate final : public QAbstractItemDelegate {
public:
    // view is the one whose cells this paints, and the delegate's parent.
    Cell_Delegate(TFormatStringGrid& grid, QWidget& view)
        : QAbstractItemDelegate(&view), grid_(grid), view_(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {}; }

private:
    TFormatStringGrid& grid_;
    const QWidget& view_;
};

}  // namespace tessaly::detail
