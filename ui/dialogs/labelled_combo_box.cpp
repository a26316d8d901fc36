#include "ui/dialogs/labelled_combo_box.h"

#include <QAccessibleWidget>
#include <QLineEdit>

namespace tessaly {

namespace {

class Labelled_Combo_Box_Accessible final : public QAccessibleWidget {
public:
    explicit Labelled_Combo_Box_Accessible(QWidget* box)
        : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        const auto* box = static_cast<const QComboBox*>(widget());
        if (kind == QAccessible::Value) {
            return box->currentText();
        }
        if (kind == QAccessible::Name && !box->accessibleName().isEmpty()) {
            return box->accessibleName();
        }
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* Labelled_Combo_Box_Factory(const QString& /*class_name*/, QObject* object) {
    if (auto* box = qobject_cast<Labelled_Combo_Box*>(object)) {
        return new Labelled_Combo_Box_Accessible(box);
    }
    return nullptr;
}

}  // namespace

Labelled_Combo_Box::Labelled_Combo_Box(QWidget* parent) : QComboBox(parent) {
    // Installed factories are asked before Qt's own; installing twice is a
    // no-op.
    QAccessible::installFactory(&Labelled_Combo_Box_Factory);
}

}  // namespace tessaly
