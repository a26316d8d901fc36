#include "widgets/format_string_grid.h"

#include <QAbstractItemDelegate>
#include <QAbstractTableModel>
#include <QBasicTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTimerEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <utility>

namespace tessaly {

namespace grid_detail {

// The cell texts, row by row.
class Grid_Model final : public QAbstractTableModel {
public:
    explicit Grid_Model(QObject* parent) : QAbstractTableModel(parent), cells_(1) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : rows_;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : cols_;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || role != Qt::DisplayRole) {
            return {};
        }
        return text(index.column(), index.row());
    }
    // Never editable: the grid is a view only.
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    const QString& text(int col, int row) const { return cells_[offset(col, row, cols_)]; }

    void setText(int col, int row, const QString& text) {
        QString& slot = cells_[offset(col, row, cols_)];
        if (slot == text) {
            return;
        }
        slot = text;
        const QModelIndex changed = index(row, col);
        emit dataChanged(changed, changed, {Qt::DisplayRole});
    }

    void setRows(int rows) {
        const std::size_t size = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols_);
        if (rows > rows_) {
            beginInsertRows(QModelIndex(), rows_, rows - 1);
            cells_.resize(size);
            rows_ = rows;
            endInsertRows();
        } else if (rows < rows_) {
            beginRemoveRows(QModelIndex(), rows, rows_ - 1);
            cells_.resize(size);
            rows_ = rows;
            endRemoveRows();
        }
    }

    void setCols(int cols) {
        if (cols == cols_) {
            return;
        }
        std::vector<QString> cells(static_cast<std::size_t>(rows_) *
                                   static_cast<std::size_t>(cols));
        const int kept = std::min(cols, cols_);
        for (int row = 0; row < rows_; ++row) {
            for (int col = 0; col < kept; ++col) {
                cells[offset(col, row, cols)] = std::move(cells_[offset(col, row, cols_)]);
            }
        }
        if (cols > cols_) {
            beginInsertColumns(QModelIndex(), cols_, cols - 1);
            cells_.swap(cells);
            cols_ = cols;
            endInsertColumns();
        } else {
            beginRemoveColumns(QModelIndex(), cols, cols_ - 1);
            cells_.swap(cells);
            cols_ = cols;
            endRemoveColumns();
        }
    }

    void moveCol(int from, int to) {
        for (int row = 0; row < rows_; ++row) {
            const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(offset(0, row, cols_));
            if (from < to) {
                std::rotate(first + from, first + from + 1, first + to + 1);
            } else {
                std::rotate(first + to, first + from, first + from + 1);
            }
        }
        emit dataChanged(index(0, std::min(from, to)), index(rows_ - 1, std::max(from, to)),
                         {Qt::DisplayRole});
    }

private:
    static std::size_t offset(int col, int row, int cols) {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) +
               static_cast<std::size_t>(col);
    }

    int rows_ = 1;
    int cols_ = 1;
    std::vector<QString> cells_;
};

class Cell_Delegate final : public QAbstractItemDelegate {
public:
    Cell_Delegate(TFormatStringGrid& grid, QObject* parent)
        : QAbstractItemDelegate(parent), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        grid_.paintDataCell(*painter, index.column(), index.row(), option.rect);
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {}; }

private:
    TFormatStringGrid& grid_;
};

// The fixed rows (horizontal) or fixed columns (vertical) painted as cells of
// the grid. Qt's header keeps them in step with the columns' widths and
// positions and with scrolling; everything a header does of its own (sorting,
// section selection, resizing, moving) is switched off.
class Fixed_Header final : public QHeaderView {
public:
    Fixed_Header(Qt::Orientation orientation, TFormatStringGrid& grid)
        : QHeaderView(orientation), grid_(grid) {
        setSectionsClickable(false);
        setSectionsMovable(false);
        setHighlightSections(false);
        setMinimumSectionSize(0);
        setSectionResizeMode(QHeaderView::Fixed);
        setFocusPolicy(Qt::NoFocus);
    }

    // The grid fixes the header's extent itself.
    QSize sizeHint() const override { return {0, 0}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { mousePressEvent(event); }

private:
    TFormatStringGrid& grid_;
};

// Where the fixed rows meet the fixed columns.
class Fixed_Corner final : public QWidget {
public:
    Fixed_Corner(TFormatStringGrid& grid, QWidget* parent) : QWidget(parent), grid_(grid) {}

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TFormatStringGrid& grid_;
};

class Grid_View final : public QTableView {
public:
    explicit Grid_View(TFormatStringGrid& grid) : QTableView(&grid), grid_(grid) {
        setShowGrid(false);
        // The grid keeps its own selection rectangle; the view only tracks
        // the current cell.
        setSelectionMode(QAbstractItemView::NoSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setTabKeyNavigation(false);
        setAutoScroll(false);
        setCornerButtonEnabled(false);
        setWordWrap(false);
        setDragDropMode(QAbstractItemView::NoDragDrop);
        setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    }

    void setCorner(Fixed_Corner* corner) { corner_ = corner; }
    void relayout() { updateGeometries(); }

    // No cell is ever edited and typing never searches.
    void keyboardSearch(const QString&) override {}

protected:
    bool edit(const QModelIndex&, EditTrigger, QEvent*) override { return false; }

    void paintEvent(QPaintEvent* event) override {
        {
            QPainter painter(viewport());
            painter.fillRect(event->rect(), grid_.color_.resolve(grid_.palette()));
        }
        QTableView::paintEvent(event);
    }

    void updateGeometries() override {
        QTableView::updateGeometries();
        if (corner_ == nullptr) {
            return;
        }
        const QHeaderView* top = horizontalHeader();
        const QHeaderView* left = verticalHeader();
        const bool shown = !top->isHidden() && !left->isHidden();
        if (shown) {
            corner_->setGeometry(left->geometry().left(), top->geometry().top(), left->width(),
                                 top->height());
            corner_->raise();
        }
        corner_->setVisible(shown);
    }

    void focusInEvent(QFocusEvent* event) override {
        QTableView::focusInEvent(event);
        viewport()->update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QTableView::focusOutEvent(event);
        viewport()->update();
    }

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // A double click is a second press, nothing more.
    void mouseDoubleClickEvent(QMouseEvent* event) override { mousePressEvent(event); }
    void timerEvent(QTimerEvent* event) override;

private:
    void dragTo(QPoint pos);
    int stepRow(int row, int step) const;
    int stepCol(int col, int step) const;

    TFormatStringGrid& grid_;
    Fixed_Corner* corner_ = nullptr;
    bool pressedOnCell_ = false;
    bool dragging_ = false;
    QPoint dragPos_;
    QBasicTimer dragScroll_;
};

void Fixed_Header::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect area = event->rect();
    painter.fillRect(area, grid_.color_.resolve(grid_.palette()));
    const int sections = count();
    if (sections == 0) {
        return;
    }
    const bool horizontal = orientation() == Qt::Horizontal;
    int first = visualIndexAt(horizontal ? area.left() : area.top());
    int last = visualIndexAt(horizontal ? area.right() : area.bottom());
    first = first < 0 ? 0 : first;
    last = last < 0 ? sections - 1 : last;
    const Cell_State fixed{.selected = false, .focused = false, .fixed = true};
    for (int visual = first; visual <= last; ++visual) {
        const int logical = logicalIndex(visual);
        if (logical < 0 || isSectionHidden(logical)) {
            continue;
        }
        const int pos = sectionViewportPosition(logical);
        const int size = sectionSize(logical);
        if (horizontal) {
            int y = 0;
            for (int row = 0; row < grid_.fixedRows_; ++row) {
                const int height = grid_.rowPitch(row);
                if (height > 0) {
                    grid_.paintCell(painter, logical, row, QRect(pos, y, size, height), fixed);
                }
                y += height;
            }
        } else {
            int x = 0;
            for (int col = 0; col < grid_.fixedCols_; ++col) {
                const int width = grid_.colPitch(col);
                if (width > 0) {
                    grid_.paintCell(painter, col, logical, QRect(x, pos, width, size), fixed);
                }
                x += width;
            }
        }
    }
}

void Fixed_Header::mousePressEvent(QMouseEvent* event) {
    grid_.view_->setFocus(Qt::MouseFocusReason);
    event->accept();
}

void Fixed_Corner::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), grid_.color_.resolve(grid_.palette()));
    const Cell_State fixed{.selected = false, .focused = false, .fixed = true};
    int y = 0;
    for (int row = 0; row < grid_.fixedRows_; ++row) {
        const int height = grid_.rowPitch(row);
        int x = 0;
        for (int col = 0; col < grid_.fixedCols_; ++col) {
            const int width = grid_.colPitch(col);
            if (width > 0 && height > 0) {
                grid_.paintCell(painter, col, row, QRect(x, y, width, height), fixed);
            }
            x += width;
        }
        y += height;
    }
}

void Fixed_Corner::mousePressEvent(QMouseEvent* event) {
    grid_.view_->setFocus(Qt::MouseFocusReason);
    event->accept();
}

void Grid_View::keyPressEvent(QKeyEvent* event) {
    CursorAction action{};
    switch (event->key()) {
        case Qt::Key_Up:
            action = MoveUp;
            break;
        case Qt::Key_Down:
            action = MoveDown;
            break;
        case Qt::Key_Left:
            action = MoveLeft;
            break;
        case Qt::Key_Right:
            action = MoveRight;
            break;
        case Qt::Key_PageUp:
            action = MovePageUp;
            break;
        case Qt::Key_PageDown:
            action = MovePageDown;
            break;
        case Qt::Key_Home:
            action = MoveHome;
            break;
        case Qt::Key_End:
            action = MoveEnd;
            break;
        default:
            // Everything else (F2, letters, Enter, copy) belongs to the
            // window, not to the grid.
            event->ignore();
            return;
    }
    const QModelIndex next = moveCursor(action, event->modifiers());
    if (next.isValid() && grid_.isDataCell(next.column(), next.row())) {
        const QPoint cell(next.column(), next.row());
        const bool extend = (event->modifiers() & Qt::ShiftModifier) != 0;
        grid_.setAnchorAndCurrent(extend ? grid_.anchor_ : cell, cell);
        scrollTo(next);
    }
    event->accept();
}

void Grid_View::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    pressedOnCell_ = false;
    const QModelIndex index = indexAt(event->position().toPoint());
    // The clicked data cell alone becomes the selection whatever the button
    // and modifiers: Shift-click does not extend, a right click selects.
    if (index.isValid() && grid_.isDataCell(index.column(), index.row())) {
        const QPoint cell(index.column(), index.row());
        grid_.setAnchorAndCurrent(cell, cell);
        scrollTo(index);
        pressedOnCell_ = true;
        if (event->button() == Qt::LeftButton) {
            dragging_ = true;
            dragPos_ = event->position().toPoint();
        }
    }
    event->accept();
}

void Grid_View::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || (event->buttons() & Qt::LeftButton) == 0) {
        return;
    }
    dragPos_ = event->position().toPoint();
    dragTo(dragPos_);
    // Outside the cells the selection goes on growing, and scrolling, while
    // the button is held.
    if (viewport()->rect().contains(dragPos_)) {
        dragScroll_.stop();
    } else if (!dragScroll_.isActive()) {
        dragScroll_.start(60, this);
    }
}

void Grid_View::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const bool clicked = dragging_ && pressedOnCell_;
        dragging_ = false;
        pressedOnCell_ = false;
        dragScroll_.stop();
        if (clicked) {
            emit grid_.clicked();
        }
    }
    event->accept();
}

void Grid_View::timerEvent(QTimerEvent* event) {
    if (event->timerId() != dragScroll_.timerId()) {
        QTableView::timerEvent(event);
        return;
    }
    if (dragging_) {
        dragTo(dragPos_);
    } else {
        dragScroll_.stop();
    }
}

void Grid_View::dragTo(QPoint pos) {
    const QRect area = viewport()->rect();
    if (area.isEmpty()) {
        return;
    }
    int row = rowAt(std::clamp(pos.y(), area.top(), area.bottom()));
    int col = columnAt(std::clamp(pos.x(), area.left(), area.right()));
    // Past the last row or column there is no cell: take the last one.
    row = row < 0 ? stepRow(grid_.rowCount(), -1) : row;
    col = col < 0 ? stepCol(grid_.colCount(), -1) : col;
    if (pos.y() > area.bottom()) {
        row = stepRow(row, 1);
    } else if (pos.y() < area.top()) {
        row = stepRow(row, -1);
    }
    if (pos.x() > area.right()) {
        col = stepCol(col, 1);
    } else if (pos.x() < area.left()) {
        col = stepCol(col, -1);
    }
    grid_.setAnchorAndCurrent(grid_.anchor_, QPoint(col, row));
    scrollTo(model()->index(grid_.row(), grid_.col()));
}

// The next shown row in the direction of step, or row itself if none.
int Grid_View::stepRow(int row, int step) const {
    for (int next = row + step; next >= grid_.fixedRows_ && next < grid_.rowCount(); next += step) {
        if (!isRowHidden(next)) {
            return next;
        }
    }
    return row;
}

int Grid_View::stepCol(int col, int step) const {
    for (int next = col + step; next >= grid_.fixedCols_ && next < grid_.colCount(); next += step) {
        if (!isColumnHidden(next)) {
            return next;
        }
    }
    return col;
}

}  // namespace grid_detail

// ---------------------------------------------------------------------------
// TFormatColumnItem

TFormatColumnItem::TFormatColumnItem(TFormatStringGrid& grid, int index)
    : grid_(&grid),
      index_(index),
      headerColor_(grid.fixedColor()),
      headerFont_(grid.font()),
      headerFontColor_(grid.fontColor()),
      color_(grid.color()),
      font_(grid.font()),
      fontColor_(grid.fontColor()) {}

void TFormatColumnItem::changed() const {
    grid_->repaintAll();
}

void TFormatColumnItem::setHeaderColor(const Grid_Color& color) {
    headerColor_ = color;
    changed();
}

void TFormatColumnItem::setHeaderFont(const QFont& font) {
    headerFont_ = font;
    changed();
}

void TFormatColumnItem::setHeaderFontColor(const Grid_Color& color) {
    headerFontColor_ = color;
    changed();
}

void TFormatColumnItem::setHeaderAlignment(Cell_Alignment alignment) {
    if (alignment == headerAlignment_) {
        return;
    }
    headerAlignment_ = alignment;
    changed();
}

QString TFormatColumnItem::Caption() const {
    return grid_->cell(index_, 0);
}

void TFormatColumnItem::setCaption(const QString& caption) {
    grid_->setCell(index_, 0, caption);
}

void TFormatColumnItem::setColor(const Grid_Color& color) {
    color_ = color;
    changed();
}

void TFormatColumnItem::setFont(const QFont& font) {
    font_ = font;
    changed();
}

void TFormatColumnItem::setFontColor(const Grid_Color& color) {
    fontColor_ = color;
    changed();
}

void TFormatColumnItem::setAlignment(Cell_Alignment alignment) {
    if (alignment == alignment_) {
        return;
    }
    alignment_ = alignment;
    changed();
}

int TFormatColumnItem::Width() const {
    return grid_->colWidth(index_);
}

void TFormatColumnItem::setWidth(int width) {
    grid_->setColWidth(index_, width);
}

void TFormatColumnItem::assign(const TFormatColumnItem& source) {
    if (&source == this) {
        return;
    }
    headerColor_ = source.headerColor_;
    headerFont_ = source.headerFont_;
    headerFontColor_ = source.headerFontColor_;
    color_ = source.color_;
    font_ = source.font_;
    fontColor_ = source.fontColor_;
    alignment_ = source.alignment_;
    headerAlignment_ = source.headerAlignment_;
    setCaption(source.Caption());
    changed();
}

// ---------------------------------------------------------------------------
// TFormatColumns

TFormatColumnItem& TFormatColumns::operator[](int index) const {
    if (index < 0 || index >= count()) {
        throw std::out_of_range("column item index out of range");
    }
    return *items_[static_cast<std::size_t>(index)];
}

void TFormatColumns::assign(const TFormatColumns& source) {
    if (&source == this) {
        return;
    }
    grid_->setColCount(source.count());
    for (int i = 0; i < source.count(); ++i) {
        (*this)[i].assign(source[i]);
    }
}

void TFormatColumns::resize(int count) {
    while (static_cast<int>(items_.size()) > count) {
        items_.pop_back();
    }
    while (static_cast<int>(items_.size()) < count) {
        // The constructor is private to keep items in step with the columns.
        items_.push_back(std::unique_ptr<TFormatColumnItem>(
            new TFormatColumnItem(*grid_, static_cast<int>(items_.size()))));
    }
}

void TFormatColumns::move(int from, int to) {
    const auto first = items_.begin();
    if (from < to) {
        std::rotate(first + from, first + from + 1, first + to + 1);
    } else {
        std::rotate(first + to, first + from, first + from + 1);
    }
    for (int i = 0; i < count(); ++i) {
        items_[static_cast<std::size_t>(i)]->index_ = i;
    }
}

// ---------------------------------------------------------------------------
// TFormatStringGrid

TFormatStringGrid::TFormatStringGrid(QWidget* parent)
    : QWidget(parent), columns_(*this), colWidths_{64}, rowHeights_{24} {
    model_ = new grid_detail::Grid_Model(this);
    view_ = new grid_detail::Grid_View(*this);
    top_ = new grid_detail::Fixed_Header(Qt::Horizontal, *this);
    left_ = new grid_detail::Fixed_Header(Qt::Vertical, *this);
    view_->setModel(model_);
    view_->setHorizontalHeader(top_);
    view_->setVerticalHeader(left_);
    view_->setItemDelegate(new grid_detail::Cell_Delegate(*this, view_));
    corner_ = new grid_detail::Fixed_Corner(*this, view_);
    view_->setCorner(corner_);
    top_->setDefaultSectionSize(defaultColWidth_ + lineWidth_);
    left_->setDefaultSectionSize(defaultRowHeight_ + lineWidth_);
    columns_.resize(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(view_);

    setColCount(5);
    setRowCount(5);
    setFixedCols(1);
    setFixedRows(1);
    setAnchorAndCurrent(QPoint(1, 1), QPoint(1, 1));
}

TFormatStringGrid::~TFormatStringGrid() {
    // The view paints from the columns and sizes below; let it go first.
    delete view_;
}

int TFormatStringGrid::colCount() const {
    return model_->columnCount();
}

int TFormatStringGrid::rowCount() const {
    return model_->rowCount();
}

void TFormatStringGrid::setColCount(int count) {
    count = std::max(count, 1);
    if (count == colCount()) {
        return;
    }
    columns_.resize(count);
    colWidths_.resize(static_cast<std::size_t>(count), defaultColWidth_);
    model_->setCols(count);
    fixedCols_ = std::min(fixedCols_, count - 1);
    for (int col = 0; col < count; ++col) {
        applyColumn(col);
    }
    applyFixedExtents();
    setAnchorAndCurrent(anchor_, current_);
    repaintAll();
}

void TFormatStringGrid::setRowCount(int count) {
    count = std::max(count, 1);
    const int old = rowCount();
    if (count == old) {
        return;
    }
    rowHeights_.resize(static_cast<std::size_t>(count), defaultRowHeight_);
    model_->setRows(count);
    if (fixedRows_ > count - 1) {
        setFixedRows(count - 1);
    }
    for (int row = std::min(old, count); row < count; ++row) {
        applyRow(row);
    }
    setAnchorAndCurrent(anchor_, current_);
}

void TFormatStringGrid::setFixedCols(int count) {
    count = std::clamp(count, 0, colCount() - 1);
    if (count == fixedCols_) {
        return;
    }
    const int old = fixedCols_;
    fixedCols_ = count;
    for (int col = std::min(old, count); col < std::max(old, count); ++col) {
        applyColumn(col);
    }
    applyFixedExtents();
    setAnchorAndCurrent(anchor_, current_);
    repaintAll();
}

void TFormatStringGrid::setFixedRows(int count) {
    count = std::clamp(count, 0, rowCount() - 1);
    if (count == fixedRows_) {
        return;
    }
    const int old = fixedRows_;
    fixedRows_ = count;
    for (int row = std::min(old, count); row < std::max(old, count); ++row) {
        applyRow(row);
    }
    applyFixedExtents();
    setAnchorAndCurrent(anchor_, current_);
    repaintAll();
}

QString TFormatStringGrid::cell(int col, int row) const {
    if (col < 0 || col >= colCount() || row < 0 || row >= rowCount()) {
        return {};
    }
    return model_->text(col, row);
}

void TFormatStringGrid::setCell(int col, int row, const QString& text) {
    if (col < 0 || col >= colCount() || row < 0 || row >= rowCount()) {
        return;
    }
    model_->setText(col, row, text);
    // Data cells repaint through the model; fixed cells are not in the view.
    if (!isDataCell(col, row)) {
        repaintAll();
    }
}

int TFormatStringGrid::colWidth(int col) const {
    return col >= 0 && col < colCount() ? colWidths_[static_cast<std::size_t>(col)] : 0;
}

void TFormatStringGrid::setColWidth(int col, int width) {
    if (col < 0 || col >= colCount() || colWidths_[static_cast<std::size_t>(col)] == width) {
        return;
    }
    colWidths_[static_cast<std::size_t>(col)] = width;
    applyColumn(col);
    if (col < fixedCols_) {
        applyFixedExtents();
        repaintAll();
    }
}

int TFormatStringGrid::rowHeight(int row) const {
    return row >= 0 && row < rowCount() ? rowHeights_[static_cast<std::size_t>(row)] : 0;
}

void TFormatStringGrid::setRowHeight(int row, int height) {
    if (row < 0 || row >= rowCount() || rowHeights_[static_cast<std::size_t>(row)] == height) {
        return;
    }
    rowHeights_[static_cast<std::size_t>(row)] = height;
    applyRow(row);
    if (row < fixedRows_) {
        applyFixedExtents();
        repaintAll();
    }
}

void TFormatStringGrid::setDefaultColWidth(int width) {
    defaultColWidth_ = width;
    top_->setDefaultSectionSize(std::max(width, 0) + lineWidth_);
    std::fill(colWidths_.begin(), colWidths_.end(), width);
    for (int col = 0; col < colCount(); ++col) {
        applyColumn(col);
    }
    applyFixedExtents();
    repaintAll();
}

void TFormatStringGrid::setDefaultRowHeight(int height) {
    defaultRowHeight_ = height;
    left_->setDefaultSectionSize(std::max(height, 0) + lineWidth_);
    std::fill(rowHeights_.begin(), rowHeights_.end(), height);
    for (int row = 0; row < rowCount(); ++row) {
        applyRow(row);
    }
    applyFixedExtents();
    repaintAll();
}

void TFormatStringGrid::setGridLineWidth(int width) {
    width = std::max(width, 0);
    if (width == lineWidth_) {
        return;
    }
    lineWidth_ = width;
    top_->setDefaultSectionSize(std::max(defaultColWidth_, 0) + lineWidth_);
    left_->setDefaultSectionSize(std::max(defaultRowHeight_, 0) + lineWidth_);
    for (int col = 0; col < colCount(); ++col) {
        applyColumn(col);
    }
    for (int row = 0; row < rowCount(); ++row) {
        applyRow(row);
    }
    applyFixedExtents();
    repaintAll();
}

QRect TFormatStringGrid::selection() const {
    return {QPoint(std::min(anchor_.x(), current_.x()), std::min(anchor_.y(), current_.y())),
            QPoint(std::max(anchor_.x(), current_.x()), std::max(anchor_.y(), current_.y()))};
}

void TFormatStringGrid::setSelection(const QRect& cells) {
    const QPoint topLeft(std::min(cells.left(), cells.right()),
                         std::min(cells.top(), cells.bottom()));
    const QPoint bottomRight(std::max(cells.left(), cells.right()),
                             std::max(cells.top(), cells.bottom()));
    setAnchorAndCurrent(topLeft, bottomRight);
}

void TFormatStringGrid::setCurrentCell(int col, int row) {
    setAnchorAndCurrent(QPoint(col, row), QPoint(col, row));
    view_->scrollTo(model_->index(current_.y(), current_.x()));
}

QRect TFormatStringGrid::cellRect(int col, int row) const {
    if (col < 0 || col >= colCount() || row < 0 || row >= rowCount() || colPitch(col) == 0 ||
        rowPitch(row) == 0) {
        return {};
    }
    QRect section;
    if (isDataCell(col, row)) {
        section = view_->visualRect(model_->index(row, col))
                      .translated(view_->viewport()->mapTo(this, QPoint(0, 0)));
    } else if (col >= fixedCols_) {
        section = QRect(top_->sectionViewportPosition(col), fixedRowsExtent(row),
                        top_->sectionSize(col), rowPitch(row))
                      .translated(top_->viewport()->mapTo(this, QPoint(0, 0)));
    } else if (row >= fixedRows_) {
        section = QRect(fixedColsExtent(col), left_->sectionViewportPosition(row), colPitch(col),
                        left_->sectionSize(row))
                      .translated(left_->viewport()->mapTo(this, QPoint(0, 0)));
    } else {
        section = QRect(fixedColsExtent(col), fixedRowsExtent(row), colPitch(col), rowPitch(row))
                      .translated(corner_->mapTo(this, QPoint(0, 0)));
    }
    if (section.isEmpty()) {
        return {};
    }
    return {section.x(), section.y(), std::max(section.width() - lineWidth_, 0),
            std::max(section.height() - lineWidth_, 0)};
}

void TFormatStringGrid::setColor(const Grid_Color& color) {
    color_ = color;
    repaintAll();
}

void TFormatStringGrid::setFixedColor(const Grid_Color& color) {
    fixedColor_ = color;
    repaintAll();
}

void TFormatStringGrid::setFontColor(const Grid_Color& color) {
    fontColor_ = color;
    repaintAll();
}

void TFormatStringGrid::setFixedLineColor(const Grid_Color& color) {
    fixedLineColor_ = color;
    repaintAll();
}

void TFormatStringGrid::setGridLineColor(const Grid_Color& color) {
    gridLineColor_ = color;
    repaintAll();
}

void TFormatStringGrid::setSelectedColor(const Grid_Color& color) {
    selectedColor_ = color;
    repaintAll();
}

void TFormatStringGrid::setSelectedTextColor(const Grid_Color& color) {
    selectedTextColor_ = color;
    repaintAll();
}

void TFormatStringGrid::setMultiLine(bool multiLine) {
    multiLine_ = multiLine;
    repaintAll();
}

void TFormatStringGrid::setRaisedFixedCells(bool raised) {
    raisedFixedCells_ = raised;
    repaintAll();
}

void TFormatStringGrid::setOnCellProps(Cell_Props_Handler handler) {
    onCellProps_ = std::move(handler);
    repaintAll();
}

void TFormatStringGrid::moveColumn(int from, int to) {
    if (from < 0 || from >= colCount() || to < 0 || to >= colCount() || from == to) {
        return;
    }
    columns_.move(from, to);
    const auto first = colWidths_.begin();
    if (from < to) {
        std::rotate(first + from, first + from + 1, first + to + 1);
    } else {
        std::rotate(first + to, first + from, first + from + 1);
    }
    model_->moveCol(from, to);
    for (int col = std::min(from, to); col <= std::max(from, to); ++col) {
        applyColumn(col);
    }
    applyFixedExtents();
    repaintAll();
}

void TFormatStringGrid::paintDataCell(QPainter& painter, int col, int row, const QRect& section) {
    Cell_State state;
    state.fixed = !isDataCell(col, row);
    if (!state.fixed) {
        state.selected = selection().contains(col, row);
        state.focused = current_ == QPoint(col, row) && view_->hasFocus();
    }
    paintCell(painter, col, row, section, state);
}

void TFormatStringGrid::paintCell(QPainter& painter, int col, int row, const QRect& section,
                                  Cell_State state) {
    // The section holds the cell and, at its right and bottom, the grid line.
    const QRect cell(section.x(), section.y(), std::max(section.width() - lineWidth_, 0),
                     std::max(section.height() - lineWidth_, 0));
    const QPalette& colours = palette();
    const TFormatColumnItem& item = columns_[col];

    Cell_Props props;
    if (row < fixedRows_) {
        props.background = item.HeaderColor().resolve(colours);
        props.font = item.HeaderFont();
        props.textColor = item.HeaderFontColor().resolve(colours);
    } else if (col >= fixedCols_) {
        props.background = item.Color().resolve(colours);
        props.font = item.Font();
        props.textColor = item.FontColor().resolve(colours);
    } else {
        props.background = fixedColor_.resolve(colours);
        props.font = font();
        props.textColor = fontColor_.resolve(colours);
    }
    if (state.selected) {
        props.background = selectedColor_.resolve(colours);
        props.textColor = selectedTextColor_.resolve(colours);
    }
    props.alignment = row < fixedRows_ ? item.HeaderAlignment() : item.Alignment();
    props.text = model_->text(col, row);
    if (onCellProps_) {
        onCellProps_(*this, props, state, row, col);
    }

    painter.save();
    painter.fillRect(cell, props.background);

    // Text sits 2 pixels inside the cell at its top, cut at that inner
    // rectangle rather than shortened, with "&" drawn as itself.
    const QRect inner = cell.adjusted(2, 2, -2, -2);
    if (!props.text.isEmpty() && inner.width() > 0 && inner.height() > 0) {
        painter.save();
        painter.setClipRect(inner, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        painter.setFont(props.font);
        painter.setPen(props.textColor);
        int flags = Qt::AlignTop | (multiLine_ ? Qt::TextWordWrap : Qt::TextSingleLine);
        switch (props.alignment) {
            case Cell_Alignment::Left:
                flags |= Qt::AlignLeft;
                break;
            case Cell_Alignment::Right:
                flags |= Qt::AlignRight;
                break;
            case Cell_Alignment::Centre:
                flags |= Qt::AlignHCenter;
                break;
        }
        painter.drawText(inner, flags, props.text);
        painter.restore();
    }

    // The frame lies on the grid lines round the cell, one ring per pixel
    // of line width.
    const QColor frame = (state.fixed ? fixedLineColor_ : gridLineColor_).resolve(colours);
    QRect ring = cell;
    for (int i = 0; i < lineWidth_; ++i) {
        ring.adjust(-1, -1, 1, 1);
        painter.fillRect(QRect(ring.left(), ring.top(), ring.width(), 1), frame);
        painter.fillRect(QRect(ring.left(), ring.bottom(), ring.width(), 1), frame);
        painter.fillRect(QRect(ring.left(), ring.top(), 1, ring.height()), frame);
        painter.fillRect(QRect(ring.right(), ring.top(), 1, ring.height()), frame);
    }

    if (state.fixed && raisedFixedCells_ && cell.width() > 1 && cell.height() > 1) {
        const QColor light = colours.color(QPalette::Active, QPalette::Light);
        const QColor dark = colours.color(QPalette::Active, QPalette::Dark);
        painter.fillRect(QRect(cell.left(), cell.top(), cell.width(), 1), light);
        painter.fillRect(QRect(cell.left(), cell.top(), 1, cell.height()), light);
        painter.fillRect(QRect(cell.left(), cell.bottom(), cell.width(), 1), dark);
        painter.fillRect(QRect(cell.right(), cell.top(), 1, cell.height()), dark);
    }

    if (state.focused && cell.width() > 1 && cell.height() > 1) {
        QPen dotted(props.textColor, 0);
        dotted.setDashPattern({1.0, 1.0});
        painter.setPen(dotted);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
    }
    painter.restore();
}

int TFormatStringGrid::colPitch(int col) const {
    const int width = colWidths_[static_cast<std::size_t>(col)];
    return width > 0 ? width + lineWidth_ : 0;
}

int TFormatStringGrid::rowPitch(int row) const {
    const int height = rowHeights_[static_cast<std::size_t>(row)];
    return height > 0 ? height + lineWidth_ : 0;
}

int TFormatStringGrid::fixedColsExtent(int upTo) const {
    int extent = 0;
    for (int col = 0; col < upTo; ++col) {
        extent += colPitch(col);
    }
    return extent;
}

int TFormatStringGrid::fixedRowsExtent(int upTo) const {
    int extent = 0;
    for (int row = 0; row < upTo; ++row) {
        extent += rowPitch(row);
    }
    return extent;
}

bool TFormatStringGrid::isDataCell(int col, int row) const {
    return col >= fixedCols_ && col < colCount() && row >= fixedRows_ && row < rowCount();
}

QPoint TFormatStringGrid::clampToData(QPoint cell) const {
    return {std::clamp(cell.x(), fixedCols_, colCount() - 1),
            std::clamp(cell.y(), fixedRows_, rowCount() - 1)};
}

void TFormatStringGrid::setAnchorAndCurrent(QPoint anchor, QPoint current) {
    anchor = clampToData(anchor);
    current = clampToData(current);
    const bool changed = anchor != anchor_ || current != current_;
    anchor_ = anchor;
    current_ = current;
    syncCurrentIndex();
    if (changed) {
        view_->viewport()->update();
        emit selectionChanged();
    }
}

// The view's own current index drives its keyboard movement.
void TFormatStringGrid::syncCurrentIndex() {
    QItemSelectionModel* selection = view_->selectionModel();
    const QModelIndex index = model_->index(current_.y(), current_.x());
    if (selection != nullptr && selection->currentIndex() != index) {
        selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
}

void TFormatStringGrid::applyColumn(int col) {
    const int width = colWidths_[static_cast<std::size_t>(col)];
    const bool hidden = col < fixedCols_ || width <= 0;
    if (view_->isColumnHidden(col) != hidden) {
        view_->setColumnHidden(col, hidden);
    }
    if (!hidden && top_->sectionSize(col) != width + lineWidth_) {
        top_->resizeSection(col, width + lineWidth_);
    }
}

void TFormatStringGrid::applyRow(int row) {
    const int height = rowHeights_[static_cast<std::size_t>(row)];
    const bool hidden = row < fixedRows_ || height <= 0;
    if (view_->isRowHidden(row) != hidden) {
        view_->setRowHidden(row, hidden);
    }
    if (!hidden && left_->sectionSize(row) != height + lineWidth_) {
        left_->resizeSection(row, height + lineWidth_);
    }
}

void TFormatStringGrid::applyFixedExtents() {
    const int height = fixedRowsExtent(fixedRows_);
    top_->setFixedHeight(height);
    top_->setVisible(height > 0);
    const int width = fixedColsExtent(fixedCols_);
    left_->setFixedWidth(width);
    left_->setVisible(width > 0);
    view_->relayout();
}

void TFormatStringGrid::repaintAll() {
    view_->viewport()->update();
    top_->viewport()->update();
    left_->viewport()->update();
    corner_->update();
}

}  // namespace tessaly
