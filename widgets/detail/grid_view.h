#pragma once

#include <QBasicTimer>
#include <QPoint>
#include <QTableView>

#include <optional>

namespace tessaly {
class TFormatStringGrid;
}

namespace tessaly::detail {

class Fixed_Corner;

// The scrolling data cells. The grid keeps its own selection rectangle; the
// view tracks only the current cell and turns keys, clicks and drags into
// selections of the grid.
class Grid_View final : public QTableView {
public:
    explicit Grid_View(TFormatStringGrid& grid);

    TFormatStringGrid& Grid() const { return grid_; }
    void Set_Corner(Fixed_Corner* corner) { corner_ = corner; }
    void Relayout() { updateGeometries(); }

    // No cell is ever edited and typing never searches.
    void keyboardSearch(const QString&) override {}

protected:
    bool edit(const QModelIndex&, EditTrigger, QEvent*) override { return false; }

    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void focusInEvent(QFocusEvent* event) override;
    // The grid announces its current cell to screen readers itself, counting
    // data rows only.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override {
        QAbstractItemView::currentChanged(current, previous);
    }
    void focusOutEvent(QFocusEvent* event) override;

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // A double click is a second press, then reported on a data cell.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    static std::optional<CursorAction> Cursor_Action(int key);
    void Drag_To(QPoint pos);
    int Step_Row(int row, int step) const;
    int Step_Col(int col, int step) const;

    TFormatStringGrid& grid_;
    Fixed_Corner* corner_ = nullptr;
    bool pressed_on_cell_ = false;
    bool dragging_ = false;
    QPoint drag_pos_;
    QBasicTimer drag_scroll_;
};

}  // namespace tessaly::detail
