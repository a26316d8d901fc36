#pragma once

#include <QAccessible>
#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly::test {

// What a screen reader could operate but could not name: every shown
// interactive object under root, as "role 'text'" lines. Cells are read
// with their column's header and are left out.
inline void Collect_Unnamed(QAccessibleInterface* node, QStringList& unnamed, int depth = 0) {
    if (node == nullptr || depth > 30) {
        return;
    }
    using R = QAccessible::Role;
    static const QList<R> interactive = {
        R::PushButton,   R::CheckBox,   R::RadioButton, R::SpinBox,       R::ComboBox,
        R::EditableText, R::Table,      R::List,        R::MenuItem,      R::Link,
        R::Slider,       R::ButtonMenu, R::PageTab,     R::ButtonDropDown};
    const QAccessible::State state = node->state();
    const bool shown = !state.invisible;
    if (shown && (interactive.contains(node->role()) || state.focusable) &&
        node->role() != R::Cell && node->role() != R::ColumnHeader &&
        node->role() != R::RowHeader && node->text(QAccessible::Name).trimmed().isEmpty()) {
        unnamed << QStringLiteral("role %1 of %2")
                       .arg(static_cast<int>(node->role()))
                       .arg(node->object() != nullptr ? node->object()->objectName()
                                                      : QStringLiteral("(part)"));
    }
    if (node->role() == R::Table) {
        return;  // cells and headers are checked through the table
    }
    for (int at = 0; at < node->childCount(); ++at) {
        Collect_Unnamed(node->child(at), unnamed, depth + 1);
    }
}

inline QStringList Unnamed_Interactive(QObject* root) {
    QStringList unnamed;
    Collect_Unnamed(QAccessible::queryAccessibleInterface(root), unnamed);
    return unnamed;
}

}  // namespace tessaly::test
