#include <gtest/gtest.h>

#include "core/event_list.h"

namespace tessaly {
namespace {

void Fill(Event_List& list, int count) {
    for (int i = 1; i <= count; ++i) {
        TName_And_Event_Data& entry = list.Append();
        entry.Name = "Entry " + std::to_string(i);
        entry.Orig_Date = i;
        entry.Event_Type = "Birthday";
        entry.Comments = "c" + std::to_string(i);
        entry.Spare_2 = "spare" + std::to_string(i);
    }
}

void Expect_Blank_From(const Event_List& list, int first) {
    for (int position = first; position <= Event_Array_Size; ++position) {
        ASSERT_EQ(list.At(position), TName_And_Event_Data{}) << position;
    }
}

TEST(EventList, CapacityMessagesAreExact) {
    EXPECT_EQ(Capacity_Message_Add(),
              "Error: The event array size is limited to 500 for this version of the program."
              "\r\n\r\nIf you require the program to handle more events than this, then please "
              "contact the program`s author and request an upgraded version.");
    EXPECT_EQ(Capacity_Message_Load(),
              "Error: The event array size is limited to 500 for this version of the program."
              "\r\n\r\nOnly this many events could be loaded / imported.\r\n\r\nIf you require "
              "the program to handle more events than this, then please contact the program`s "
              "author and request an upgraded version.");
}

TEST(EventList, AppendStopsAtCapacity) {
    Event_List list;
    Fill(list, Event_Array_Size - 1);
    EXPECT_FALSE(list.Is_Full());
    list.Append().Name = "last";
    EXPECT_TRUE(list.Is_Full());
    EXPECT_EQ(list.Event_Count(), 500);
    EXPECT_THROW(list.Append(), std::length_error);
    EXPECT_EQ(list.Event_Count(), 500);
    EXPECT_EQ(list.At(500).Name, "last");
    EXPECT_THROW(list.At(0), std::out_of_range);
    EXPECT_THROW(list.At(501), std::out_of_range);
}

TEST(EventList, RemoveRunInTheMiddleKeepsOrderAndBlanksTheTail) {
    Event_List list;
    Fill(list, 10);
    list.Remove_Run(2, 3);
    ASSERT_EQ(list.Event_Count(), 7);
    const int expected[] = {1, 5, 6, 7, 8, 9, 10};
    for (int position = 1; position <= 7; ++position) {
        EXPECT_EQ(list.At(position).Name, "Entry " + std::to_string(expected[position - 1]));
        // The record moves whole, reserved fields included.
        EXPECT_EQ(list.At(position).Spare_2, "spare" + std::to_string(expected[position - 1]));
    }
    Expect_Blank_From(list, 8);
    // A later append starts from blank comments and reserved fields.
    list.Append().Name = "new";
    EXPECT_EQ(list.At(8).Comments, "");
    EXPECT_EQ(list.At(8).Spare_2, "");
}

TEST(EventList, RemoveRunAtTheEndAndOfEverything) {
    Event_List list;
    Fill(list, 5);
    list.Remove_Run(4, 2);
    EXPECT_EQ(list.Event_Count(), 3);
    EXPECT_EQ(list.At(3).Name, "Entry 3");
    Expect_Blank_From(list, 4);

    list.Remove_Run(1, 3);
    EXPECT_EQ(list.Event_Count(), 0);
    Expect_Blank_From(list, 1);
}

TEST(EventList, RemoveRunRejectsRunsOutsideTheList) {
    Event_List list;
    Fill(list, 5);
    EXPECT_THROW(list.Remove_Run(0, 1), std::out_of_range);
    EXPECT_THROW(list.Remove_Run(5, 2), std::out_of_range);
    EXPECT_THROW(list.Remove_Run(1, 0), std::out_of_range);
    EXPECT_THROW(list.Remove_Run(6, 1), std::out_of_range);
    EXPECT_EQ(list.Event_Count(), 5);
}

TEST(EventList, ReplaceKeepsReservedFields) {
    Event_List list;
    Fill(list, 3);
    list.Replace(2, "Renamed", 42, "Wedding Anniversary", "note");
    const TName_And_Event_Data& entry = list.At(2);
    EXPECT_EQ(entry.Name, "Renamed");
    EXPECT_EQ(entry.Orig_Date, 42);
    EXPECT_EQ(entry.Event_Type, "Wedding Anniversary");
    EXPECT_EQ(entry.Comments, "note");
    EXPECT_EQ(entry.Spare_2, "spare2");
    EXPECT_THROW(list.Replace(4, "x", 0, "y", ""), std::out_of_range);
}

TEST(EventList, InitialiseAndCountChangesKeepFreePositionsBlank) {
    Event_List list;
    Fill(list, 20);
    list.Set_Event_Count(5);
    EXPECT_EQ(list.Event_Count(), 5);
    Expect_Blank_From(list, 6);
    list.Set_Event_Count(8);
    EXPECT_EQ(list.At(8), TName_And_Event_Data{});
    EXPECT_THROW(list.Set_Event_Count(501), std::out_of_range);
    EXPECT_THROW(list.Set_Event_Count(-1), std::out_of_range);

    list.Initialise_Entire_Array_ButtonClick();
    EXPECT_EQ(list.Event_Count(), 0);
    EXPECT_TRUE(list.Entries().empty());
    Expect_Blank_From(list, 1);
}

}  // namespace
}  // namespace tessaly
