#include "ui/main/font_followers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QListWidget>
#include <QProxyStyle>
#include <QRadioButton>

#include <algorithm>
#include <cmath>

#include "ui/common/readable_indicators.h"
#include "ui/main/window_scaling.h"
#include "widgets/format_string_grid.h"

namespace tessaly {

namespace {

// A cell's text sits 2 pixels inside its frame on each side.
constexpr int Cell_Text_Margins = 4;

QFont With_Points(QFont font, int points) {
    font.setPointSize(points);
    return font;
}

// The proportion of a control's font to its design font, kept on the
// control for the style below.
const char* const Font_Scale_Property = "tessaly_font_scale";

double Font_Scale_Of(const QWidget* widget) {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        const QVariant scale = widget->property(Font_Scale_Property);
        if (scale.isValid()) {
            return scale.toDouble();
        }
    }
    return 1.0;
}

int Scaled_Size(int size, const QWidget* widget) {
    return std::max(static_cast<int>(std::lround(size * Font_Scale_Of(widget))), 1);
}

// The style's indicators suit a font of the design's size; this style sizes
// them in proportion to the widget's font.
class Font_Scaled_Style final : public QProxyStyle {
public:
    explicit Font_Scaled_Style(QStyle* base) : QProxyStyle(base) {
        setObjectName(QStringLiteral("Font_Scaled_Style"));
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const int size = QProxyStyle::pixelMetric(metric, option, widget);
        switch (metric) {
            case PM_ExclusiveIndicatorWidth:
            case PM_ExclusiveIndicatorHeight:
            case PM_IndicatorWidth:
            case PM_IndicatorHeight:
                return Scaled_Size(size, widget);
            default:
                return size;
        }
    }
};

// One style per window, made on first need from the application's style.
QStyle* Font_Scaled_Style_For(QWidget& window) {
    if (auto* style = window.findChild<QStyle*>(QStringLiteral("Font_Scaled_Style"),
                                                Qt::FindDirectChildrenOnly)) {
        return style;
    }
    auto* style = new Font_Scaled_Style(New_Readable_Indicator_Style());
    style->setParent(&window);
    return style;
}

// Radio buttons and check boxes are the controls whose parts the style
// sizes. (The arrows of spin boxes are drawn at one size by the style
// whatever room they are given.)
void Follow_Font_In_Style(QWidget& control, double scale) {
    control.setProperty(Font_Scale_Property, scale);
    QList<QWidget*> sized = control.findChildren<QWidget*>();
    sized.push_back(&control);
    for (QWidget* widget : sized) {
        if (qobject_cast<QRadioButton*>(widget) == nullptr &&
            qobject_cast<QCheckBox*>(widget) == nullptr) {
            continue;
        }
        QStyle* style = Font_Scaled_Style_For(*control.window());
        if (widget->style() != style) {
            widget->setStyle(style);
        }
        widget->updateGeometry();
        widget->update();
    }
}

}  // namespace

void Fit_Grid_To_Its_Font(TFormatStringGrid& grid, int design_points, int design_row_height) {
    const int points = grid.font().pointSize();
    // A font in pixels has not been scaled yet.
    if (points <= 0 || design_points <= 0) {
        return;
    }
    int line = 0;
    for (int col = 0; col < grid.Columns().Count(); ++col) {
        TFormatColumnItem& item = grid.Columns()[col];
        if (item.HeaderFont().pointSize() != points) {
            item.Set_HeaderFont(With_Points(item.HeaderFont(), points));
        }
        if (item.Font().pointSize() != points) {
            item.Set_Font(With_Points(item.Font(), points));
        }
        line = std::max(
            {line, QFontMetrics(item.HeaderFont()).height(), QFontMetrics(item.Font()).height()});
    }
    const int height =
        std::max(design_row_height * points / design_points, line + Cell_Text_Margins);
    if (grid.Default_Row_Height() != height) {
        grid.Set_Default_Row_Height(height);
    }
}

void Scale_Font_Followers(const QListWidget& scaling_list_box,
                          const std::vector<QObject*>& components, int design_icon_size) {
    for (QObject* component : components) {
        const auto design_points = Recorded_Point_Size(scaling_list_box, components, component);
        if (!design_points) {
            continue;
        }
        auto* control = qobject_cast<QWidget*>(component);
        if (control != nullptr && control->font().pointSize() > 0) {
            Follow_Font_In_Style(*control,
                                 static_cast<double>(control->font().pointSize()) / *design_points);
        }
        if (auto* grid = qobject_cast<TFormatStringGrid*>(component)) {
            Fit_Grid_To_Its_Font(*grid, *design_points, Grid_Design_Row_Height);
        } else if (auto* button = qobject_cast<QAbstractButton*>(component);
                   button != nullptr && !button->icon().isNull()) {
            const int points = button->font().pointSize();
            if (points > 0) {
                const int side = std::max(design_icon_size * points / *design_points, 1);
                button->setIconSize(QSize(side, side));
            }
        }
    }
}

}  // namespace tessaly
