#include "ui/dialogs/keyboard_link.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>

#include <mutex>
#include <utility>

namespace tessaly {

namespace {

constexpr char Link_Property[] = "tessaly_keyboard_link";

class Link_Accessible final : public QAccessibleWidget {
public:
    explicit Link_Accessible(QLabel& label) : QAccessibleWidget(&label, QAccessible::Link) {}

    QString text(QAccessible::Text type) const override {
        QString text = QAccessibleWidget::text(type);
        if (type == QAccessible::Name && text.isEmpty()) {
            text = static_cast<QLabel*>(widget())->text();
        }
        return text;
    }
};

QAccessibleInterface* Link_Factory(const QString& class_name, QObject* object) {
    if (class_name == QLatin1String("QLabel") && object->property(Link_Property).toBool()) {
        return new Link_Accessible(*static_cast<QLabel*>(object));
    }
    return nullptr;
}

class Link_Keys final : public QObject {
public:
    Link_Keys(QLabel& label, std::function<void()> open)
        : QObject(&label), open_(std::move(open)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A label being destroyed gives up its focus as a plain widget.
        auto* label = qobject_cast<QLabel*>(watched);
        if (label == nullptr) {
            return false;
        }
        switch (event->type()) {
            case QEvent::KeyPress: {
                const int key = static_cast<QKeyEvent*>(event)->key();
                if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                    open_();
                    return true;
                }
                return false;
            }
            case QEvent::FocusIn:
            case QEvent::FocusOut:
                // A frame, so the user sees where the focus is.
                label->setFrameStyle(label->hasFocus() ? QFrame::Box | QFrame::Plain
                                                       : QFrame::NoFrame);
                return false;
            default:
                return false;
        }
    }

private:
    std::function<void()> open_;
};

}  // namespace

void Make_Keyboard_Link(QLabel& label, std::function<void()> open) {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(Link_Factory); });
    label.setProperty(Link_Property, true);
    label.setFocusPolicy(Qt::StrongFocus);
    label.setCursor(Qt::PointingHandCursor);
    label.installEventFilter(new Link_Keys(label, std::move(open)));
}

}  // namespace tessaly
