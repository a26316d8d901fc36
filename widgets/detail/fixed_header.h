#pragma once

#include <QHeaderView>
#include <QMouseEvent>

namespace tessaly {
class TFormatStringGrid;
}

namespace tessaly::detail {

// The fixed rows (horizontal) or fixed columns (vertical) painted as cells of
// the grid. Qt's header keeps them in step with the columns' widths and
// positions and with scrolling; everything a header does of its own (sorting,
// section selection, resizing, moving) is switched off.
class Fixed_Header final : public QHeaderView {
public:
    Fixed_Header(Qt::Orientation orientation, TFormatStringGrid& grid);

    // The grid fixes the header's extent itself.
    QSize sizeHint() const override { return {0, 0}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override { mousePressEvent(event); }

private:
    void Paint_Section(QPainter& painter, int logical);
    void Paint_Sort_Indicator(QPainter& painter, const QRect& cell, const QRect& title);
    // The fixed cell under the point, as (column, row); (-1, -1) for none.
    QPoint Cell_At(QPoint pos) const;

    TFormatStringGrid& grid_;
    QPoint pressed_cell_{-1, -1};
};

}  // namespace tessaly::detail
