#include "ui/common/program_icon.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include "core/program_identity.h"

namespace tessaly {

QString Built_In_Program_Icon_File(int size) {
    return QStringLiteral(":/icons/%1x%1/%2.png").arg(size).arg(QLatin1String(Application_Id));
}

QIcon Built_In_Program_Icon() {
    QIcon icon;
    for (const int size : Program_Icon_Sizes) {
        icon.addFile(Built_In_Program_Icon_File(size), QSize(size, size));
    }
    return icon;
}

QIcon Program_Icon() {
    // The built-in pictures are decoded only when the theme has none.
    QIcon icon = QIcon::fromTheme(QString::fromLatin1(Application_Id));
    return icon.isNull() ? Built_In_Program_Icon() : icon;
}

namespace {

class Icon_After_First_Paint final : public QObject {
public:
    explicit Icon_After_First_Paint(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
        // A window that starts minimised or hidden paints nothing for now.
        QTimer::singleShot(Latest_Ms, this, [this] { Apply(); });
    }

    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint || event->type() == QEvent::Hide) {
            window_.removeEventFilter(this);
            // After this paint has reached the screen.
            QTimer::singleShot(0, this, [this] { Apply(); });
        }
        return false;
    }

private:
    static constexpr int Latest_Ms = 500;

    void Apply() {
        if (done_) {
            return;
        }
        done_ = true;
        window_.removeEventFilter(this);
        if (QApplication::windowIcon().isNull()) {
            QApplication::setWindowIcon(Program_Icon());
        }
        deleteLater();
    }

    QWidget& window_;
    bool done_ = false;
};

}  // namespace

void Set_Program_Icon_Once_Shown(QWidget& window) {
    new Icon_After_First_Paint(window);
}

}  // namespace tessaly
