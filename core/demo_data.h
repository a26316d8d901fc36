#pragma once

#include "core/dates.h"

namespace tessaly {

class Event_List;

inline constexpr int Demo_Entry_Count = 14;

// Appends the fourteen demo entries for the given today, as many as fit, and
// returns how many were appended. Five of them fall due within a week.
int Append_Demo_Data(Event_List& list, Day_Number today);

}  // namespace tessaly
