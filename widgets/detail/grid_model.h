#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <cstddef>
#include <vector>

namespace tessaly::detail {

// The cell texts and hints, row by row. The grid keeps the counts at least 1.
class Grid_Model final : public QAbstractTableModel {
public:
    explicit Grid_Model(QObject* parent) : QAbstractTableModel(parent), cells_(1) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : rows_;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : cols_;
    }
    QVariant data(const QModelIndex& index, int role) const override;
    // Never editable: the grid is a view only.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const QString& Text(int col, int row) const { return cells_[Offset(col, row, cols_)].Text; }
    void Set_Text(int col, int row, const QString& text);
    const QString& Hint(int col, int row) const { return cells_[Offset(col, row, cols_)].Hint; }
    void Set_Hint(int col, int row, const QString& hint);

    // Rows and columns come and go at the end; the other texts stay.
    void Set_Rows(int rows);
    void Set_Cols(int cols);
    void Move_Col(int from, int to);

private:
    struct Cell {
        QString Text;
        // The tooltip; empty: none.
        QString Hint;
    };

    static std::size_t Offset(int col, int row, int cols) {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) +
               static_cast<std::size_t>(col);
    }

    int rows_ = 1;
    int cols_ = 1;
    std::vector<Cell> cells_;
};

}  // namespace tessaly::detail
