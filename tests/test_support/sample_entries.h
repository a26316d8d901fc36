#pragma once

// Lists for tests, written as one line per entry.

#include <string>
#include <vector>

#include "core/dates.h"
#include "core/event_list.h"

namespace tessaly::test {

struct Entry {
    std::string Name;
    int Year, Month, Day;
    std::string Event_Type;
    std::string Comments;
};

inline Event_List List_Of(const std::vector<Entry>& entries) {
    Event_List list;
    for (const Entry& entry : entries) {
        TName_And_Event_Data& record = list.Append();
        record.Name = entry.Name;
        record.Orig_Date = Day_Number_Of(entry.Year, entry.Month, entry.Day);
        record.Event_Type = entry.Event_Type;
        record.Comments = entry.Comments;
    }
    return list;
}

}  // namespace tessaly::test
