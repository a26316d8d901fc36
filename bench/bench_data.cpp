#include "bench_data.h"

#include <array>
#include <string>

namespace tessaly::bench {

Day_Number Bench_Today() {
    return Encode_Date(2026, 12, 7);
}

void Fill_Bench_List(Event_List& list) {
    static constexpr std::array<const char*, 4> Event_Types = {
        "Birthday", "Wedding Anniversary", "Reunion", "Started Work at the Power Plant"};
    list.Initialise_Entire_Array_ButtonClick();
    for (int i = 0; i < Event_Array_Size; ++i) {
        TName_And_Event_Data& entry = list.Append();
        entry.Name = "Person " + std::to_string(i * 7919 % 1000) + " Quenby";
        // Spread over about a century; 71 and 365 have no common factor, so the
        // days of the year are spread evenly too.
        entry.Orig_Date = Bench_Today() - 200 - static_cast<Day_Number>(i * 71);
        entry.Event_Type = Event_Types[static_cast<std::size_t>(i) % Event_Types.size()];
        entry.Comments = "Comment for entry " + std::to_string(i);
    }
}

}  // namespace tessaly::bench
