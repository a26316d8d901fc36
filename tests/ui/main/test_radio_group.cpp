#include "ui/main/radio_group.h"

#include <gtest/gtest.h>
#include <QRadioButton>

namespace {

using namespace tessaly;

TEST(Radio_Group_Test, IndexIsClampedAndMinusOneSelectsNothing) {
    Radio_Group group;
    for (const char* item : {"a", "b", "c"}) {
        group.Add_Item(item);
    }
    group.Set_Item_Index(9);
    EXPECT_EQ(group.Item_Index(), 2);
    group.Set_Item_Index(-5);
    EXPECT_EQ(group.Item_Index(), -1);
    EXPECT_FALSE(group.Button(2)->isChecked());
    group.Set_Item_Index(0);
    EXPECT_EQ(group.Item_Index(), 0);
}

}  // namespace
