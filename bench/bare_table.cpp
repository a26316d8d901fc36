// A bare Qt widget window built with the same Qt as Tessaly.exe: what
// bench/wine-first-paint.sh measures Tessaly.exe's start-up against.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("A bare Qt window"));
    label.setWindowTitle(QStringLiteral("Bare Qt window"));
    label.resize(697, 439);
    label.show();
    return QApplication::exec();
}
