#include "ui/main/auto_size_label.h"

#include <QEvent>

#include <algorithm>

namespace tessaly {

QString Mnemonic_Rich_Text(const QString& caption) {
    QString rich;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != u'&') {
            rich += QString(caption[i]).toHtmlEscaped();
        } else if (i + 1 < caption.size() && caption[i + 1] == u'&') {
            rich += QStringLiteral("&amp;");
            ++i;
        } else if (i + 1 < caption.size()) {
            // A character outside the basic plane takes two units.
            const qsizetype length = caption[i + 1].isHighSurrogate() ? 2 : 1;
            rich += QStringLiteral("<u>") + caption.mid(i + 1, length).toHtmlEscaped() +
                    QStringLiteral("</u>");
            i += length;
        }
    }
    return rich;
}

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

Status_Line_Label::Status_Line_Label(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Minimum);
}

void Status_Line_Label::Set_Status(const QString& text) {
    setText(text);
    setToolTip(text);
    setAccessibleName(text);
    Fit_Height();
}

int Status_Line_Label::heightForWidth(int width) const {
    // Measured from the text alone: QLabel's own measure never goes below
    // the minimum height, and guesses a width where it is asked for a hint.
    const QMargins frame = contentsMargins();
    const int room = width - frame.left() - frame.right() - 2 * margin();
    const int text_height =
        fontMetrics()
            .boundingRect(QRect(0, 0, std::max(room, 1), 1 << 20),
                          static_cast<int>(alignment()) | Qt::TextWordWrap, text())
            .height();
    return text_height + frame.top() + frame.bottom() + 2 * margin();
}

QSize Status_Line_Label::sizeHint() const {
    // Never wider than the window gives it; as high as its lines at that width.
    return {fontMetrics().averageCharWidth() * 20, std::max(fitted_height_, 1)};
}

QSize Status_Line_Label::minimumSizeHint() const {
    return sizeHint();
}

void Status_Line_Label::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Fit_Height();
}

void Status_Line_Label::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        Fit_Height();
    }
}

void Status_Line_Label::Fit_Height() {
    const int wanted = heightForWidth(width());
    if (wanted != fitted_height_) {
        // The layouts above ask again, and the new height comes back here
        // at the same width.
        fitted_height_ = wanted;
        updateGeometry();
    }
}

}  // namespace tessaly
