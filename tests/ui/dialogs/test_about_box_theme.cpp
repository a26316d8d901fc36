#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QTest>

#include "desktop/fake/fake_link_opener.h"
#include "desktop/fake/fake_memory_status.h"
#include "test_support/desktop_themes.h"
#include "ui/dialogs/about_box.h"
#include "widgets/contrast.h"

namespace tessaly {
namespace {

using test::Desktop_Theme;

QPalette Light_Palette() {
    QPalette light;
    light.setColor(QPalette::Window, QColor(0xef, 0xef, 0xef));
    light.setColor(QPalette::WindowText, Qt::black);
    return light;
}

const Desktop_Theme Light{"Light", &Light_Palette};

class About_Box_Theme_Test : public ::testing::TestWithParam<Desktop_Theme> {
protected:
    test::Scoped_Desktop_Theme theme_{GetParam().Palette()};
    Fake_Link_Opener links;
    Fake_Memory_Status memory;
};

// The links, the donation text and the quote, as they are painted.
TEST_P(About_Box_Theme_Test, LinksAndTheQuoteRead) {
    TAboutBox box(links, memory, "/opt/tessaly/bin/tessaly");
    Write_About_Identity(box, 2026);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    const QImage shot = box.grab().toImage();
    for (const QLabel* label : {box.Email_Address_Label, box.WEB_Address_Label,
                                box.PayPal_Donations_Label, box.Quote_From_Harrow_Label}) {
        SCOPED_TRACE(label->objectName().toStdString() + " " +
                     label->text().left(20).toStdString());
        // Inside the quote's frame, where only the text is drawn.
        const QRect area = label->geometry().adjusted(4, 4, -4, -4);
        const test::Ink ink = test::Ink_In(shot, area);
        EXPECT_GE(Contrast_Ratio(ink.Text, ink.Background), Text_Contrast);
    }
}

// Where the design's blue reads, it is kept; a dark or high-contrast
// desktop gets a lighter blue, not another colour.
TEST_P(About_Box_Theme_Test, LinksStayBlue) {
    TAboutBox box(links, memory, "/opt/tessaly/bin/tessaly");
    const QColor link = box.WEB_Address_Label->palette().color(QPalette::WindowText);
    if (GetParam().Name == std::string("Light")) {
        EXPECT_EQ(link, QColor(0, 0, 255));
    } else {
        EXPECT_NE(link, QColor(0, 0, 255));
    }
    EXPECT_GT(link.blue(), link.red());
    EXPECT_GT(link.blue(), link.green());
}

// A theme chosen while the program runs reaches the box too.
TEST(About_Box_Theme_Change, FollowsAPaletteChangedWhileOpen) {
    Fake_Link_Opener links;
    Fake_Memory_Status memory;
    TAboutBox box(links, memory, "/opt/tessaly/bin/tessaly");
    const test::Scoped_Desktop_Theme dark(test::Dark_Fusion_Palette());
    const QPalette& now = box.Email_Address_Label->palette();
    EXPECT_GE(Contrast_Ratio(now.color(QPalette::WindowText), now.color(QPalette::Window)),
              Text_Contrast);
}

INSTANTIATE_TEST_SUITE_P(Desktop_Themes, About_Box_Theme_Test,
                         ::testing::Values(Light, test::Dark_Fusion, test::High_Contrast),
                         [](const auto& theme) { return test::Theme_Name(theme.param); });

}  // namespace
}  // namespace tessaly
