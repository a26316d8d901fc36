#pragma once

#include "core/dates.h"
#include "core/event_list.h"

namespace tessaly::bench {

// Monday 7 December 2026.
Day_Number Bench_Today();

// A full list (500 entries) with names, dates spread over a century, event
// types and comments, so that every field of the file format is exercised.
void Fill_Bench_List(Event_List& list);

}  // namespace tessaly::bench
