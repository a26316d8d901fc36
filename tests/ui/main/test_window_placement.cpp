#include "ui/main/window_placement.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

const QRect Screen(0, 0, 1280, 1024);
const QSize Minimum(348, 240);

TEST(Window_Placement, AFrameWhollyOnAScreenStaysAsItIs) {
    for (const QRect frame :
         {QRect(199, 180, 707, 497), QRect(0, 0, 1280, 1024), QRect(1280 + 10, 5, 600, 400)}) {
        EXPECT_EQ(Fit_Onto_Screens(frame, {Screen, QRect(1280, 0, 1920, 1080)}, Minimum), frame);
    }
    // Nothing to fit onto: nothing is changed.
    EXPECT_EQ(Fit_Onto_Screens(QRect(-5000, 9, 1, 1), {}, Minimum), QRect(-5000, 9, 1, 1));
}

TEST(Window_Placement, AFrameOffTheScreenComesBackWithItsTitleBarOnIt) {
    // A removed second monitor: onto the nearest screen, size kept.
    EXPECT_EQ(Fit_Onto_Screens(QRect(2000, 300, 707, 497), {Screen}, Minimum),
              QRect(1280 - 707, 300, 707, 497));
    // Above and left of the screen: the title bar at its top edge.
    EXPECT_EQ(Fit_Onto_Screens(QRect(-100, -15, 707, 497), {Screen}, Minimum),
              QRect(0, 0, 707, 497));
    // Mostly on the right-hand screen: fitted there, not onto the first.
    const QRect right(1280, 0, 1920, 1080);
    EXPECT_EQ(Fit_Onto_Screens(QRect(1200, 100, 707, 497), {Screen, right}, Minimum),
              QRect(1280, 100, 707, 497));
}

TEST(Window_Placement, AFrameLargerThanTheScreenShrinksToItButNotBelowTheMinimum) {
    // Twice the design at double scale, on a screen of 640 x 512 points.
    const QRect small(0, 0, 640, 512);
    EXPECT_EQ(Fit_Onto_Screens(QRect(20, 20, 1410, 944), {small}, Minimum), QRect(0, 0, 640, 512));
    // A stored size below the minimum grows to it.
    EXPECT_EQ(Fit_Onto_Screens(QRect(2000, 20, 10, 10), {Screen}, Minimum),
              QRect(1280 - 348, 20, 348, 240));
    // A screen smaller than the minimum: the title bar's corner stays on it.
    const QRect tiny(0, 0, 300, 200);
    EXPECT_EQ(Fit_Onto_Screens(QRect(50, 50, 705, 472), {tiny}, Minimum).topLeft(), QPoint(0, 0));
}

}  // namespace
}  // namespace tessaly
