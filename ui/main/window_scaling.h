#pragma once

#include <QSize>
#include <optional>
#include <vector>

class QListWidget;
class QObject;

namespace tessaly {

// Records, once, the design geometry of the window's components as text lines
// in the hidden list box: line 0 "<client width> <client height> W/H Mainform1",
// then per component "<left> <width> <top> <height> <font points> <name>" for a
// widget inside the window, or "0" for anything else (actions, timers, menus,
// dialogs, the menu bar). `components` is every component the window owns, in
// creation order. Fonts set in pixels are recorded in whole points, rounded.
void Record_Design_Layout(QListWidget& scaling_list_box, QSize client_size,
                          const std::vector<QObject*>& components);

// Sets every recorded widget's geometry and font size from the record and the
// current client size: horizontal values by the width ratio, vertical ones by
// the height ratio, fonts by the smaller ratio, each truncated; fonts never go
// below 1 point. Nothing happens before the record exists, nor when its
// reference size is 0 or unreadable.
void Scale_Controls_To_Window(const QListWidget& scaling_list_box, QSize client_size,
                              const std::vector<QObject*>& components);

// The font size in points the record holds for one of the components; none
// before the record exists or for a component it does not list as a control.
std::optional<int> Recorded_Point_Size(const QListWidget& scaling_list_box,
                                       const std::vector<QObject*>& components,
                                       const QObject* component);

}  // namespace tessaly
