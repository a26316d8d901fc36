#include "ui/main/window_placement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <limits>

namespace tessaly {

namespace {

long long Overlap(const QRect& a, const QRect& b) {
    const QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : static_cast<long long>(both.width()) * both.height();
}

long long Distance_Squared(QPoint a, QPoint b) {
    const long long dx = a.x() - b.x();
    const long long dy = a.y() - b.y();
    return dx * dx + dy * dy;
}

}  // namespace

QRect Fit_Onto_Screens(const QRect& frame, const std::vector<QRect>& areas, QSize minimum) {
    if (areas.empty()) {
        return frame;
    }
    for (const QRect& area : areas) {
        if (area.contains(frame)) {
            return frame;
        }
    }
    const QRect* best = &areas.front();
    long long best_overlap = -1;
    long long best_distance = std::numeric_limits<long long>::max();
    for (const QRect& area : areas) {
        const long long overlap = Overlap(frame, area);
        const long long distance = Distance_Squared(frame.center(), area.center());
        if (overlap > best_overlap || (overlap == best_overlap && distance < best_distance)) {
            best = &area;
            best_overlap = overlap;
            best_distance = distance;
        }
    }
    const QRect& area = *best;
    const int width = std::max(std::min(frame.width(), area.width()), minimum.width());
    const int height = std::max(std::min(frame.height(), area.height()), minimum.height());
    // The top left last, so that a window larger than the area keeps its
    // title bar on it.
    const int left =
        std::max(std::min(frame.left(), area.left() + area.width() - width), area.left());
    const int top =
        std::max(std::min(frame.top(), area.top() + area.height() - height), area.top());
    return {left, top, width, height};
}

std::vector<QRect> Available_Screen_Areas() {
    std::vector<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        areas.push_back(screen->availableGeometry());
    }
    return areas;
}

}  // namespace tessaly
