#include "widgets/contrast.h"

#include <gtest/gtest.h>

namespace {

using namespace tessaly;

TEST(Contrast, RatiosRunFromOneToTwentyOneWhicheverColourComesFirst) {
    EXPECT_NEAR(Contrast_Ratio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(Contrast_Ratio(Qt::white, Qt::black), 21.0, 1e-9);
    EXPECT_NEAR(Contrast_Ratio(QColor(0x2a, 0x82, 0xda), QColor(0x2a, 0x82, 0xda)), 1.0, 1e-9);
    // Published values: mid grey on white just misses 4.5, pure blue on
    // white and white on a dark grey.
    EXPECT_NEAR(Contrast_Ratio(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
    EXPECT_NEAR(Contrast_Ratio(Qt::blue, Qt::white), 8.59, 0.01);
    EXPECT_NEAR(Contrast_Ratio(Qt::white, QColor(0x2a, 0x2a, 0x2a)), 14.35, 0.01);
}

TEST(Contrast, ReadableTintChangesAColourOnlyAsFarAsNeededAndKeepsItsHue) {
    const QColor dark_base(0x2a, 0x2a, 0x2a);
    EXPECT_EQ(Readable_Tint(Qt::red, Qt::black), QColor(Qt::red));  // 5.25 already

    const QColor on_dark = Readable_Tint(Qt::red, dark_base);
    EXPECT_GE(Contrast_Ratio(on_dark, dark_base), Text_Contrast);
    EXPECT_LT(Contrast_Ratio(on_dark, dark_base), Text_Contrast + 0.5);
    EXPECT_EQ(on_dark.red(), 255);
    EXPECT_GT(on_dark.red(), on_dark.green() + 100);
    EXPECT_EQ(on_dark.green(), on_dark.blue());

    // A light grey on white darkens towards black.
    const QColor on_white = Readable_Tint(QColor(0xbe, 0xbe, 0xbe), Qt::white);
    EXPECT_GE(Contrast_Ratio(on_white, Qt::white), Text_Contrast);
    EXPECT_GT(on_white.red(), 0x50);
    EXPECT_LT(on_white.red(), 0x78);
}

}  // namespace
