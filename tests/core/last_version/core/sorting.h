#pragma once

namespace tessaly {

class Event_List;

// Sort keys, in grid column order.
enum Sort_Column : int {
    Sort_By_Name = 0,
    Sort_By_Orig_Date = 1,
    Sort_By_Next_Event = 2,
    Sort_By_Days_Left = 3,
    Sort_By_Age_Next = 4,
    Sort_By_Event_Type = 5,
    Sort_By_Comments = 6,
};
inline constexpr int Sort_Column_Count = 7;

enum Sort_Order : int { Sort_Ascending = 0, Sort_Descending = 1 };

// Puts positions 1..Event_Count into the order of the column and direction,
// stably: entries with equal keys keep their order. Texts compare as unsigned
// bytes, case-sensitive. A column outside 0..6 or an order outside 0..1 (no
// radio item selected) leaves the list as it is. Returns whether any entry
// moved, which is when the window must refresh.
bool Sort_Data_BitBtnClick(Event_List& list, int column, int order);

}  // namespace tessaly
