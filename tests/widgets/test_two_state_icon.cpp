#include "widgets/two_state_icon.h"

#include <gtest/gtest.h>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace {

using namespace tessaly;

QImage Drawing(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(200, 30, 30));
    painter.drawEllipse(QRectF(1, 1, side - 2, side - 2));
    return image;
}

// The icon drawn on demand shows what the icon of all its pictures shows, at
// every size a button may ask for, enabled and disabled, and draws only the
// sizes shown.
TEST(Two_State_Icon, DrawnOnDemandMatchesTheIconOfAllItsPictures) {
    const std::vector<int> sides = {16, 24, 32, 48, 64};
    std::vector<QImage> pictures;
    for (const int side : sides) {
        pictures.push_back(Drawing(side));
    }
    const QIcon eager = Make_Two_State_Icon(pictures);
    std::vector<int> drawn;
    QIcon lazy = Make_Two_State_Icon(sides, [&drawn](int side) {
        drawn.push_back(side);
        return Drawing(side);
    });
    EXPECT_TRUE(drawn.empty());
    EXPECT_EQ(lazy.availableSizes(), eager.availableSizes());

    for (const QSize size : {QSize(16, 16), QSize(20, 20), QSize(12, 12), QSize(24, 24),
                             QSize(40, 30), QSize(100, 100)}) {
        for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active}) {
            SCOPED_TRACE(testing::Message()
                         << size.width() << "x" << size.height() << " mode " << mode);
            EXPECT_EQ(lazy.actualSize(size, mode), eager.actualSize(size, mode));
            EXPECT_EQ(lazy.pixmap(size, mode).toImage().convertToFormat(QImage::Format_ARGB32),
                      eager.pixmap(size, mode).toImage().convertToFormat(QImage::Format_ARGB32));
        }
    }
    // 16 serves 12 and 16; 24 serves 20 and 24; 48 serves 40x30; 64 the rest.
    std::sort(drawn.begin(), drawn.end());
    EXPECT_EQ(drawn, (std::vector<int>{16, 16, 24, 24, 48, 48, 64, 64}))
        << "each size drawn once for each of its two states";
}

}  // namespace
