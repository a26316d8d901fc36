// A bare Qt Widgets program built with the same Qt as Tessaly: one window
// with a 500-row table of seven columns, the size of Tessaly's main window.
// What bench/first-paint.sh and bench/wine-first-paint.sh measure Tessaly's
// start-up against; it links no Tessaly library.
#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    constexpr int Rows = 500;
    constexpr int Columns = 7;
    QTableWidget table(Rows, Columns);
    table.setWindowTitle(QStringLiteral("Bare Qt window"));
    for (int row = 0; row < Rows; ++row) {
        for (int column = 0; column < Columns; ++column) {
            table.setItem(row, column,
                          new QTableWidgetItem(
                              QStringLiteral("Row %1, column %2").arg(row + 1).arg(column + 1)));
        }
    }
    table.verticalHeader()->setDefaultSectionSize(table.fontMetrics().height() + 4);
    table.resize(705, 472);
    table.show();
    return QApplication::exec();
}
