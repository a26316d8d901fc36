#include "core/sorting.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include "core/event_list.h"

namespace tessaly {

namespace {

// -1, 0 or 1. Texts compare as unsigned bytes, which std::string's
// char_traits<char>::compare does (it uses memcmp).
int Compare_Text(const std::string& a, const std::string& b) {
    const int result = a.compare(b);
    return (result > 0) - (result < 0);
}

// NaN never reaches the list through the loader, but a total order keeps the
// sort well defined whatever a record holds: NaN sorts after every number.
int Compare_Number(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) {
        return static_cast<int>(std::isnan(a)) - static_cast<int>(std::isnan(b));
    }
    return (a > b) - (a < b);
}

int Compare_Key(int column, const TName_And_Event_Data& a, const TName_And_Event_Data& b) {
    switch (column) {
        case Sort_By_Name:
            return Compare_Text(a.Name, b.Name);
        case Sort_By_Orig_Date:
            return Compare_Number(a.Orig_Date, b.Orig_Date);
        case Sort_By_Next_Event:
            return Compare_Number(a.Next_Event, b.Next_Event);
        case Sort_By_Days_Left:
            return (a.Days_Left > b.Days_Left) - (a.Days_Left < b.Days_Left);
        case Sort_By_Age_Next:
            return (a.Age_Next > b.Age_Next) - (a.Age_Next < b.Age_Next);
        case Sort_By_Event_Type:
            return Compare_Text(a.Event_Type, b.Event_Type);
        case Sort_By_Comments:
            return Compare_Text(a.Comments, b.Comments);
        default:
            return 0;
    }
}

}  // namespace

bool Sort_Data_BitBtnClick(Event_List& list, int column, int order) {
    if (column < 0 || column >= Sort_Column_Count ||
        (order != Sort_Ascending && order != Sort_Descending)) {
        return false;
    }
    const int direction = order == Sort_Ascending ? 1 : -1;
    const auto before = [&](const TName_And_Event_Data& a, const TName_And_Event_Data& b) {
        return direction * Compare_Key(column, a, b) < 0;
    };
    auto entries = list.Entries();
    // A stable sort gives exactly the order of repeated adjacent exchanges,
    // and a sorted list is left untouched, which tells the caller that no
    // refresh is needed.
    if (std::is_sorted(entries.begin(), entries.end(), before)) {
        return false;
    }
    std::stable_sort(entries.begin(), entries.end(), before);
    return true;
}

}  // namespace tessaly
