#pragma once

#include <chrono>
#include <vector>

#include "core/event_list.h"
#include "sync/sync_state.h"

namespace tessaly::test {

// The time every test sync stamps its writes with.
inline const auto Sync_Stamp = std::chrono::sys_seconds{std::chrono::hours{24 * 20795}};

// One Tessaly folder: its list and its sync state, kept after each sync as
// the program keeps them.
struct Sync_Folder {
    std::vector<TName_And_Event_Data> list;
    Sync_State state;
};

}  // namespace tessaly::test
