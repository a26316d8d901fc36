#include "widgets/button_keys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace tessaly {

namespace {

class Enter_Filter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!enter || modifiers != Qt::NoModifier || button == nullptr || !button->isEnabled()) {
            return false;
        }
        button->animateClick();
        return true;
    }
};

}  // namespace

void Enter_Presses_Focused_Button(QWidget& window) {
    auto* filter = new Enter_Filter(&window);
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        button->installEventFilter(filter);
    }
}

}  // namespace tessaly
