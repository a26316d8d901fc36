#include <gtest/gtest.h>

#include "core/demo_data.h"
#include "core/event_list.h"
#include "core/sorting.h"

namespace tessaly {
namespace {

const Day_Number Seventh_December_2026 = 46363;

TEST(DemoData, FourteenEntriesAsTheTableSays) {
    Event_List list;
    EXPECT_EQ(Append_Demo_Data(list, Seventh_December_2026), 14);
    ASSERT_EQ(list.Event_Count(), 14);
    const std::pair<const char*, const char*> expected[] = {
        {"Tilda Quenby", "Birthday"},
        {"Rowan Quenby", "Birthday"},
        {"Mum and Dad", "Wedding Anniversary"},
        {"My Old School", "School Reunion"},
        {"Barnaby Ostler", "Started Work at the Power Plant"},
        {"Tax Return", "Tax Return Due"},
        {"Examplar Power Pty Ltd", "AGM"},
        {"Hang Gliding Club", "Reunion"},
        {"Guardian Angel", "Reunion"},
        {"Clementine", "Birthday"},
        {"Juniper", "Birthday"},
        {"Ada and Felix", "Wedding Anniversary"},
        {"Mo and Rita", "Wedding Anniversary"},
        {"Luis and Irena", "Wedding Anniversary"},
    };
    for (int position = 1; position <= 14; ++position) {
        const auto& entry = list.At(position);
        EXPECT_EQ(entry.Name, expected[position - 1].first);
        EXPECT_EQ(entry.Event_Type, expected[position - 1].second);
        EXPECT_EQ(entry.Comments, "");
    }
    EXPECT_EQ(Decode_Date(list.At(1).Orig_Date), (Civil_Date{1998, 2, 14}));
    EXPECT_EQ(Decode_Date(list.At(4).Orig_Date), (Civil_Date{1982, 12, 31}));
    EXPECT_EQ(Decode_Date(list.At(6).Orig_Date), (Civil_Date{1980, 6, 30}));
    EXPECT_EQ(Decode_Date(list.At(9).Orig_Date), (Civil_Date{1992, 3, 13}));
}

TEST(DemoData, RelativeRowsFallDueWithinAWeek) {
    Event_List list;
    Append_Demo_Data(list, Seventh_December_2026);
    Calc_Days_Left_ButtonClick(list, Seventh_December_2026);
    struct Row {
        int Position;
        Civil_Date Orig;
        Civil_Date Next;
        int Days_Left;
        int Age_Next;
    };
    const Row rows[] = {
        {10, {2025, 12, 12}, {2026, 12, 12}, 5, 1},  {11, {2022, 12, 11}, {2026, 12, 11}, 4, 4},
        {12, {2021, 12, 14}, {2026, 12, 14}, 7, 5},  {13, {2011, 12, 12}, {2026, 12, 12}, 5, 15},
        {14, {2014, 12, 13}, {2026, 12, 13}, 6, 12},
    };
    for (const Row& row : rows) {
        const auto& entry = list.At(row.Position);
        EXPECT_EQ(Decode_Date(entry.Orig_Date), row.Orig) << row.Position;
        EXPECT_EQ(Decode_Date(entry.Next_Event), row.Next) << row.Position;
        EXPECT_EQ(entry.Days_Left, row.Days_Left) << row.Position;
        EXPECT_EQ(entry.Age_Next, row.Age_Next) << row.Position;
    }
    // None of the fixed-date rows is within 14 days of that day.
    for (int position = 1; position <= 9; ++position) {
        EXPECT_GT(list.At(position).Days_Left, 14) << position;
    }
}

TEST(DemoData, AppendsToWhatIsThereAndOnlyWhatFits) {
    Event_List list;
    Append_Demo_Data(list, Seventh_December_2026);
    Append_Demo_Data(list, Seventh_December_2026);
    EXPECT_EQ(list.Event_Count(), 28);
    EXPECT_EQ(list.At(15).Name, "Tilda Quenby");

    Event_List nearly_full;
    nearly_full.Set_Event_Count(Event_Array_Size - 3);
    EXPECT_EQ(Append_Demo_Data(nearly_full, Seventh_December_2026), 3);
    EXPECT_EQ(nearly_full.Event_Count(), Event_Array_Size);
    EXPECT_EQ(nearly_full.At(Event_Array_Size).Name, "Mum and Dad");
}

}  // namespace
}  // namespace tessaly
