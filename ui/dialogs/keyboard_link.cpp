#include "ui/dialogs/keyboard_link.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>

#include <mutex>

namespace tessaly {

namespace {

class Link_Accessible final : public QAccessibleWidget {
public:
    explicit Link_Accessible(Keyboard_Link& link) : QAccessibleWidget(&link, QAccessible::Link) {}

    QString text(QAccessible::Text type) const override {
        QString text = QAccessibleWidget::text(type);
        if (type == QAccessible::Name && text.isEmpty()) {
            text = static_cast<QLabel*>(widget())->text();
        }
        return text;
    }
};

QAccessibleInterface* Link_Factory(const QString&, QObject* object) {
    if (auto* link = qobject_cast<Keyboard_Link*>(object)) {
        return new Link_Accessible(*link);
    }
    return nullptr;
}

}  // namespace

Keyboard_Link::Keyboard_Link(QWidget* parent) : QLabel(parent) {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(Link_Factory); });
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void Keyboard_Link::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && open_) {
        event->accept();
        open_();
        return;
    }
    QLabel::keyPressEvent(event);
}

// A frame, so the user sees where the focus is.
void Keyboard_Link::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    setFrameStyle(QFrame::Box | QFrame::Plain);
}

void Keyboard_Link::focusOutEvent(QFocusEvent* event) {
    QLabel::focusOutEvent(event);
    setFrameStyle(QFrame::NoFrame);
}

}  // namespace tessaly
