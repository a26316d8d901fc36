#include "widgets/detail/cell_delegate.h"

#include "widgets/detail/cell_painter.h"

#include <QStyleOptionViewItem>
#include <QWidget>

namespace tessaly::detail {

void Cell_Delegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    Paint_View_Cell(grid_, *painter, index.column(), index.row(), option.rect, view_.hasFocus());
}

}  // namespace tessaly::detail
