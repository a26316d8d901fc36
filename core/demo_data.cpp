#include "core/demo_data.h"

#include <array>
#include <cmath>

#include "core/event_list.h"

namespace tessaly {

namespace {

struct Demo_Row {
    const char* Name;
    int Year;  // a fixed date, or 0 for one relative to today
    int Month;
    int Day;
    int Days_Before_Today;
    const char* Event_Type;
};

// The last five fall due within a week of today, so the default 14-day
// report always has something to show.
constexpr std::array<Demo_Row, Demo_Entry_Count> Demo_Rows = {{
    {"Tilda Quenby", 1998, 2, 14, 0, "Birthday"},
    {"Rowan Quenby", 1997, 11, 21, 0, "Birthday"},
    {"Mum and Dad", 1997, 11, 21, 0, "Wedding Anniversary"},
    {"My Old School", 1982, 12, 31, 0, "School Reunion"},
    {"Barnaby Ostler", 1987, 10, 12, 0, "Started Work at the Power Plant"},
    {"Tax Return", 1980, 6, 30, 0, "Tax Return Due"},
    {"Examplar Power Pty Ltd", 2004, 11, 30, 0, "AGM"},
    {"Hang Gliding Club", 1988, 2, 1, 0, "Reunion"},
    {"Guardian Angel", 1992, 3, 13, 0, "Reunion"},
    {"Clementine", 0, 0, 0, 365 - 5, "Birthday"},
    {"Juniper", 0, 0, 0, 1095 + 364 - 2, "Birthday"},
    {"Ada and Felix", 0, 0, 0, 1825 - 6, "Wedding Anniversary"},
    {"Mo and Rita", 0, 0, 0, 5475 - 1, "Wedding Anniversary"},
    {"Luis and Irena", 0, 0, 0, 4380 - 3, "Wedding Anniversary"},
}};

}  // namespace

int Append_Demo_Data(Event_List& list, Day_Number today) {
    const Day_Number whole_today = std::trunc(today);
    int appended = 0;
    for (const Demo_Row& row : Demo_Rows) {
        if (list.Is_Full()) {
            break;
        }
        TName_And_Event_Data& entry = list.Append();
        entry.Name = row.Name;
        entry.Orig_Date = row.Year != 0 ? Encode_Date(row.Year, row.Month, row.Day)
                                        : whole_today - row.Days_Before_Today;
        entry.Event_Type = row.Event_Type;
        ++appended;
    }
    return appended;
}

}  // namespace tessaly
