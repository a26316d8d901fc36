#include "widgets/two_state_icon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

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

class Drawn_Icon_Engine final : public QIconEngine {
public:
    Drawn_Icon_Engine(std::vector<int> sides, std::function<QImage(int)> draw)
        : shared_(std::make_shared<Shared>()) {
        std::sort(sides.begin(), sides.end());
        shared_->Sides = std::move(sides);
        shared_->Draw = std::move(draw);
    }

    QSize actualSize(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
        QSize actual(Side_For(size), Side_For(size));
        if (actual.width() > size.width() || actual.height() > size.height()) {
            actual.scale(size, Qt::KeepAspectRatio);
        }
        return actual;
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (size.isEmpty() || shared_->Sides.empty()) {
            return {};
        }
        const QPixmap& drawn = Drawn(Side_For(size), mode == QIcon::Disabled);
        const QSize actual = actualSize(size, mode, state);
        return drawn.size() == actual
                   ? drawn
                   : drawn.scaled(actual, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio =
            painter->device() != nullptr ? painter->device()->devicePixelRatio() : 1;
        painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }

    QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
        QList<QSize> sizes;
        for (const int side : shared_->Sides) {
            sizes.push_back(QSize(side, side));
        }
        return sizes;
    }

    QIconEngine* clone() const override { return new Drawn_Icon_Engine(*this); }
    QString key() const override { return QStringLiteral("tessaly-drawn"); }

private:
    // Shared by the copies a QIcon makes of its engine, so that each size is
    // drawn once.
    struct Shared {
        std::vector<int> Sides;
        std::function<QImage(int)> Draw;
        std::map<std::pair<int, bool>, QPixmap> Drawn;
    };

    int Side_For(const QSize& size) const {
        const qint64 wanted = qint64(size.width()) * size.height();
        for (const int side : shared_->Sides) {
            if (qint64(side) * side >= wanted) {
                return side;
            }
        }
        return shared_->Sides.back();
    }

    const QPixmap& Drawn(int side, bool greyed) {
        QPixmap& drawn = shared_->Drawn[{side, greyed}];
        if (drawn.isNull()) {
            const QImage normal = shared_->Draw(side);
            drawn = QPixmap::fromImage(greyed ? Greyed(normal) : normal);
        }
        return drawn;
    }

    std::shared_ptr<Shared> shared_;
};

}  // namespace

QIcon Make_Two_State_Icon(std::vector<int> sides, std::function<QImage(int side)> draw) {
    return QIcon(new Drawn_Icon_Engine(std::move(sides), std::move(draw)));
}

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
