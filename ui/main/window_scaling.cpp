#include "ui/main/window_scaling.h"

#include <QFont>
#include <QListWidget>
#include <QMenuBar>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>

namespace tessaly {

namespace {

constexpr double kFallbackDpi = 96.0;

// A widget inside the window. Menus, dialogs and the menu bar keep their own
// placement and are listed as placeholders like actions and timers.
const QWidget* As_Visual_Control(const QObject* component) {
    const auto* widget = qobject_cast<const QWidget*>(component);
    if (widget == nullptr || widget->isWindow() ||
        qobject_cast<const QMenuBar*>(widget) != nullptr) {
        return nullptr;
    }
    return widget;
}

// Whole points. A font set in pixels has no point size of its own, so it is
// converted at the widget's resolution, rounded (15 px at 96 dpi is 11 pt).
int Design_Point_Size(const QWidget& widget) {
    const QFont font = widget.font();
    if (font.pointSize() > 0) {
        return font.pointSize();
    }
    const int dpi = widget.logicalDpiY();
    const double points = font.pixelSize() * 72.0 / (dpi > 0 ? dpi : kFallbackDpi);
    return static_cast<int>(std::lround(points));
}

// Fields are the texts between single blanks; the first `Count` must be
// signed integers.
template <std::size_t Count>
std::optional<std::array<int, Count>> Read_Fields(const QString& line) {
    const QStringList fields = line.split(QLatin1Char(' '));
    if (fields.size() < static_cast<qsizetype>(Count)) {
        return std::nullopt;
    }
    std::array<int, Count> values{};
    for (std::size_t i = 0; i < Count; ++i) {
        bool ok = false;
        values[i] = fields[static_cast<qsizetype>(i)].toInt(&ok);
        if (!ok) {
            return std::nullopt;
        }
    }
    return values;
}

// Truncated towards zero, kept within what a widget can take.
int Scaled(int design, double ratio) {
    const double value = std::trunc(design * ratio);
    return static_cast<int>(std::clamp(value, -double{QWIDGETSIZE_MAX}, double{QWIDGETSIZE_MAX}));
}

}  // namespace

void Record_Design_Layout(QListWidget& scaling_list_box, QSize client_size,
                          const std::vector<QObject*>& components) {
    if (scaling_list_box.count() > 0) {
        return;
    }
    scaling_list_box.addItem(
        QStringLiteral("%1 %2 W/H Mainform1").arg(client_size.width()).arg(client_size.height()));
    for (const QObject* component : components) {
        const QWidget* control = As_Visual_Control(component);
        if (control == nullptr) {
            scaling_list_box.addItem(QStringLiteral("0"));
            continue;
        }
        const QRect geometry = control->geometry();
        scaling_list_box.addItem(QStringLiteral("%1 %2 %3 %4 %5 %6")
                                     .arg(geometry.x())
                                     .arg(geometry.width())
                                     .arg(geometry.y())
                                     .arg(geometry.height())
                                     .arg(Design_Point_Size(*control))
                                     .arg(control->objectName()));
    }
}

void Scale_Controls_To_Window(const QListWidget& scaling_list_box, QSize client_size,
                              const std::vector<QObject*>& components) {
    if (scaling_list_box.count() == 0) {
        return;
    }
    // A reference size of 0 would divide by zero; such a record cannot come
    // from a real window, so it scales nothing.
    const auto reference = Read_Fields<2>(scaling_list_box.item(0)->text());
    if (!reference || (*reference)[0] <= 0 || (*reference)[1] <= 0) {
        return;
    }
    const double rw = std::max(client_size.width(), 0) / static_cast<double>((*reference)[0]);
    const double rh = std::max(client_size.height(), 0) / static_cast<double>((*reference)[1]);
    const double rf = std::min(rh, rw);

    const int lines = scaling_list_box.count();
    for (std::size_t i = 0; i < components.size() && static_cast<int>(i) + 1 < lines; ++i) {
        const QString line = scaling_list_box.item(static_cast<int>(i) + 1)->text();
        auto* control = qobject_cast<QWidget*>(components[i]);
        // A placeholder "0" has no five fields and is skipped with its component.
        const auto design = Read_Fields<5>(line);
        if (control == nullptr || !design) {
            continue;
        }
        const auto [left, width, top, height, points] = *design;
        control->setGeometry(Scaled(left, rw), Scaled(top, rh), std::max(Scaled(width, rw), 0),
                             std::max(Scaled(height, rh), 0));
        // Qt takes no point size below 1; a window shrunk to nothing keeps the
        // smallest font rather than an invalid one.
        QFont font = control->font();
        font.setPointSize(std::max(Scaled(points, rf), 1));
        control->setFont(font);
    }
}

std::optional<int> Recorded_Point_Size(const QListWidget& scaling_list_box,
                                       const std::vector<QObject*>& components,
                                       const QObject* component) {
    const auto found = std::find(components.begin(), components.end(), component);
    if (found == components.end()) {
        return std::nullopt;
    }
    const int line = static_cast<int>(found - components.begin()) + 1;
    if (line >= scaling_list_box.count()) {
        return std::nullopt;
    }
    const auto design = Read_Fields<5>(scaling_list_box.item(line)->text());
    if (!design || (*design)[4] <= 0) {
        return std::nullopt;
    }
    return (*design)[4];
}

}  // namespace tessaly
