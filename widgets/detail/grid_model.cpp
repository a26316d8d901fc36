#include "widgets/detail/grid_model.h"

#include "widgets/detail/move_element.h"

#include <algorithm>
#include <span>
#include <utility>

namespace tessaly::detail {

QVariant Grid_Model::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return Text(index.column(), index.row());
    }
    if (role == Qt::ToolTipRole && !Hint(index.column(), index.row()).isEmpty()) {
        return Hint(index.column(), index.row());
    }
    return {};
}

Qt::ItemFlags Grid_Model::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void Grid_Model::Set_Text(int col, int row, const QString& text) {
    QString& slot = cells_[Offset(col, row, cols_)].Text;
    if (slot == text) {
        return;
    }
    slot = text;
    const QModelIndex changed = index(row, col);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void Grid_Model::Set_Hint(int col, int row, const QString& hint) {
    QString& slot = cells_[Offset(col, row, cols_)].Hint;
    if (slot == hint) {
        return;
    }
    slot = hint;
    const QModelIndex changed = index(row, col);
    emit dataChanged(changed, changed, {Qt::ToolTipRole});
}

void Grid_Model::Set_Rows(int rows) {
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

void Grid_Model::Set_Cols(int cols) {
    if (cols == cols_) {
        return;
    }
    std::vector<Cell> cells(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols));
    const int kept = std::min(cols, cols_);
    for (int row = 0; row < rows_; ++row) {
        for (int col = 0; col < kept; ++col) {
            cells[Offset(col, row, cols)] = std::move(cells_[Offset(col, row, cols_)]);
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

void Grid_Model::Move_Col(int from, int to) {
    const std::span<Cell> cells(cells_);
    for (int row = 0; row < rows_; ++row) {
        Move_Element(cells.subspan(Offset(0, row, cols_), static_cast<std::size_t>(cols_)), from,
                     to);
    }
    emit dataChanged(index(0, std::min(from, to)), index(rows_ - 1, std::max(from, to)),
                     {Qt::DisplayRole});
}

}  // namespace tessaly::detail
