#pragma once
// TEMPORARY until the patch lands.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include "core/event_list.h"
namespace tessaly {
std::optional<std::string> Patch_Event(std::string_view current, const TName_And_Event_Data& entry,
                                       std::chrono::sys_seconds stamp);
}
