#include "sync/event_patch.h"
namespace tessaly {
std::optional<std::string> Patch_Event(std::string_view, const TName_And_Event_Data&,
                                       std::chrono::sys_seconds) {
    return std::nullopt;
}
}  // namespace tessaly
