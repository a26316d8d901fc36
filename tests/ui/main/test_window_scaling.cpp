#include "ui/main/window_scaling.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <random>
#include <vector>

namespace {

using tessaly::Record_Design_Layout;
using tessaly::Scale_Controls_To_Window;

constexpr QSize kReference(697, 439);

QFont Pixel_Font(int pixels, bool bold = false) {
    QFont font("Times New Roman");
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Left, width, top, height, font points: the order of the record.
using Layout = std::array<int, 5>;

Layout Layout_Of(const QWidget& widget) {
    const QRect g = widget.geometry();
    return {g.x(), g.width(), g.y(), g.height(), widget.font().pointSize()};
}

// A cut-down main window: controls in a group box, fonts in pixels, and
// components that are not controls between them.
struct Design_Window {
    QWidget window;
    QMenuBar* menu_bar = new QMenuBar(&window);
    QGroupBox* group = new QGroupBox(&window);
    QAction* action = new QAction(&window);
    QLabel* label = new QLabel("days.", group);
    QTimer* timer = new QTimer(&window);
    QPushButton* button = new QPushButton("Add", group);
    QMenu* menu = new QMenu(&window);
    QCheckBox* check = new QCheckBox(group);
    QListWidget scaling_list_box;
    std::vector<QObject*> components{menu_bar, group, action, label, timer, button, menu, check};
    std::array<QWidget*, 4> controls{group, label, button, check};

    Design_Window() {
        window.setFont(Pixel_Font(15));
        group->setObjectName("All_GroupBox");
        group->setGeometry(4, 2, 689, 435);
        label->setObjectName("Label2");
        label->setGeometry(436, 302, 31, 17);
        button->setObjectName("Add_Entry_BitBtn");
        button->setFont(Pixel_Font(16, true));
        button->setGeometry(124, 398, 110, 33);
        check->setObjectName("Auto_Display_Coming_Events_Report_CheckBox");
        check->setFont(Pixel_Font(13));
        check->setGeometry(32, 328, 521, 17);
    }

    std::vector<QString> Record_Lines() const {
        std::vector<QString> lines;
        for (int i = 0; i < scaling_list_box.count(); ++i) {
            lines.push_back(scaling_list_box.item(i)->text());
        }
        return lines;
    }
    std::array<Layout, 4> Layouts() const {
        return {Layout_Of(*group), Layout_Of(*label), Layout_Of(*button), Layout_Of(*check)};
    }
    void Record() { Record_Design_Layout(scaling_list_box, kReference, components); }
    void Scale(QSize client) { Scale_Controls_To_Window(scaling_list_box, client, components); }
};

const std::array<Layout, 4> kDesign{{{4, 689, 2, 435, 11},
                                     {436, 31, 302, 17, 11},
                                     {124, 110, 398, 33, 12},
                                     {32, 521, 328, 17, 10}}};

TEST(WindowScaling, RecordsEveryComponentOnceInOrder) {
    Design_Window w;
    w.Record();
    const std::vector<QString> expected{
        "697 439 W/H Mainform1",
        "0",
        "4 689 2 435 11 All_GroupBox",
        "0",
        "436 31 302 17 11 Label2",
        "0",
        "124 110 398 33 12 Add_Entry_BitBtn",
        "0",
        "32 521 328 17 10 Auto_Display_Coming_Events_Report_CheckBox",
    };
    EXPECT_EQ(w.Record_Lines(), expected);

    w.button->setGeometry(1, 2, 3, 4);
    Record_Design_Layout(w.scaling_list_box, QSize(100, 100), w.components);
    EXPECT_EQ(w.Record_Lines(), expected);
}

struct Scale_Case {
    const char* name;
    QSize client;
    std::array<Layout, 4> expected;  // group, label, button, check box
};

class WindowScalingSizes : public ::testing::TestWithParam<Scale_Case> {};

TEST_P(WindowScalingSizes, ScalesFromTheRecord) {
    Design_Window w;
    w.Record();
    w.Scale(GetParam().client);
    EXPECT_EQ(w.Layouts(), GetParam().expected);
    // Only the size changes: the face stays.
    EXPECT_TRUE(w.button->font().bold());
    EXPECT_EQ(w.button->font().family(), "Times New Roman");
}

INSTANTIATE_TEST_SUITE_P(
    WindowScaling, WindowScalingSizes,
    ::testing::Values(Scale_Case{"Reference", kReference, kDesign},
                      Scale_Case{"HeightThreePercentLess",
                                 {697, 426},
                                 {{{4, 689, 1, 422, 10},
                                   {436, 31, 293, 16, 10},
                                   {124, 110, 386, 32, 11},
                                   {32, 521, 318, 16, 9}}}},
                      Scale_Case{"DoubleWidth",
                                 {1394, 439},
                                 {{{8, 1378, 2, 435, 11},
                                   {872, 62, 302, 17, 11},
                                   {248, 220, 398, 33, 12},
                                   {64, 1042, 328, 17, 10}}}},
                      Scale_Case{"DoubleHeight",
                                 {697, 878},
                                 {{{4, 689, 4, 870, 11},
                                   {436, 31, 604, 34, 11},
                                   {124, 110, 796, 66, 12},
                                   {32, 521, 656, 34, 10}}}},
                      Scale_Case{"Half",
                                 {348, 219},
                                 {{{1, 344, 0, 217, 5},
                                   {217, 15, 150, 8, 5},
                                   {61, 54, 198, 16, 5},
                                   {15, 260, 163, 8, 4}}}},
                      // Fonts cannot go below one point.
                      Scale_Case{
                          "Nothing",
                          {0, 0},
                          {{{0, 0, 0, 0, 1}, {0, 0, 0, 0, 1}, {0, 0, 0, 0, 1}, {0, 0, 0, 0, 1}}}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(WindowScaling, ReturnsToTheDesignAfterAnyResizes) {
    Design_Window w;
    w.Record();
    std::mt19937 random(20070901);
    std::uniform_int_distribution<int> width(600, 800);
    std::uniform_int_distribution<int> height(380, 500);
    w.Scale(QSize(0, 0));
    w.Scale(QSize(1, 1));
    for (int i = 0; i < 200; ++i) {
        w.Scale(QSize(width(random), height(random)));
    }
    w.Scale(kReference);
    EXPECT_EQ(w.Layouts(), kDesign);
}

TEST(WindowScaling, ChangesNothingBeforeTheRecord) {
    Design_Window w;
    const auto before = w.Layouts();
    w.Scale(QSize(1394, 878));
    EXPECT_EQ(w.Layouts(), before);
    EXPECT_EQ(w.button->font().pixelSize(), 16);
}

// A reference size that is zero or unreadable scales nothing.
class WindowScalingBadReference : public ::testing::TestWithParam<const char*> {};

TEST_P(WindowScalingBadReference, LeavesControlsAlone) {
    Design_Window w;
    w.scaling_list_box.addItem(GetParam());
    w.scaling_list_box.addItem("4 689 2 435 11 All_GroupBox");
    const auto before = w.Layouts();
    Scale_Controls_To_Window(w.scaling_list_box, QSize(1394, 878), {w.group});
    EXPECT_EQ(w.Layouts(), before);
}

INSTANTIATE_TEST_SUITE_P(WindowScaling, WindowScalingBadReference,
                         ::testing::Values("0 439 W/H Mainform1", "697 0 W/H Mainform1",
                                           "-697 439 W/H Mainform1", "W/H 439 Mainform1", "697",
                                           ""));

TEST(WindowScaling, SkipsComponentsBeyondTheRecord) {
    Design_Window w;
    w.Record();
    QLabel late(w.group);
    late.setGeometry(10, 20, 30, 40);
    std::vector<QObject*> more = w.components;
    more.push_back(&late);
    Scale_Controls_To_Window(w.scaling_list_box, QSize(1394, 878), more);
    EXPECT_EQ(late.geometry(), QRect(10, 20, 30, 40));
    EXPECT_EQ(w.button->geometry(), QRect(248, 796, 220, 66));
}

}  // namespace
