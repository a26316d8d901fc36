#include "widgets/readable_foreground.h"

#include <QEvent>
#include <QObject>
#include <QWidget>

#include "widgets/contrast.h"

namespace tessaly {

namespace {

// Lives as the widget's child and watches its palette.
class Foreground_Keeper final : public QObject {
public:
    Foreground_Keeper(QWidget& widget, const QColor& design, QPalette::ColorRole text,
                      QPalette::ColorRole background)
        : QObject(&widget), widget_(widget), design_(design), text_(text), background_(background) {
        widget.installEventFilter(this);
        Apply();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &widget_ && event->type() == QEvent::PaletteChange) {
            Apply();
        }
        return false;
    }

private:
    // Setting the colour is itself a palette change; it ends here, as the
    // colour is then what it should be.
    void Apply() {
        QPalette palette = widget_.palette();
        bool changed = false;
        for (const QPalette::ColorGroup group :
             {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            const QColor wanted = Readable_Tint(design_, palette.color(group, background_));
            if (palette.color(group, text_) != wanted) {
                palette.setColor(group, text_, wanted);
                changed = true;
            }
        }
        if (changed) {
            widget_.setPalette(palette);
        }
    }

    QWidget& widget_;
    QColor design_;
    QPalette::ColorRole text_;
    QPalette::ColorRole background_;
};

}  // namespace

void Keep_Readable_Foreground(QWidget& widget, const QColor& design, QPalette::ColorRole text,
                              QPalette::ColorRole background) {
    new Foreground_Keeper(widget, design, text, background);
}

}  // namespace tessaly
