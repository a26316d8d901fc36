#include "widgets/two_state_icon.h"

#include <QPixmap>

namespace tessaly {

namespace {

QImage Greyed(const QImage& normal) {
    QImage grey = normal.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int alpha = qAlpha(line[x]);
            const int level = 128 + qGray(line[x]) / 3;
            line[x] = qRgba(level, level, level, alpha * 3 / 4);
        }
    }
    return grey;
}

}  // namespace

QIcon Make_Two_State_Icon(const QImage& normal) {
    return Make_Two_State_Icon(std::vector<QImage>{normal});
}

QIcon Make_Two_State_Icon(const std::vector<QImage>& sizes) {
    QIcon icon;
    for (const QImage& normal : sizes) {
        icon.addPixmap(QPixmap::fromImage(normal), QIcon::Normal);
        icon.addPixmap(QPixmap::fromImage(Greyed(normal)), QIcon::Disabled);
    }
    return icon;
}

}  // namespace tessaly
