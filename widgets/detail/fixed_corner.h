#pragma once

#include <QWidget>

namespace tessaly {
class TFormatStringGrid;
}

namespace tessaly::detail {

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

}  // namespace tessaly::detail
