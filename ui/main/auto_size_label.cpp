#include "ui/main/auto_size_label.h"

#include <QEvent>

namespace tessaly {

Auto_Size_Label::Auto_Size_Label(const QString& text, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setText(text);
}

void Auto_Size_Label::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Fit_Width();
}

void Auto_Size_Label::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        Fit_Width();
    }
}

void Auto_Size_Label::Fit_Width() {
    // The resize this causes comes back here with the width already right.
    const int wanted = sizeHint().width();
    if (width() != wanted) {
        resize(wanted, height());
    }
}

}  // namespace tessaly
