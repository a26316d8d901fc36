#pragma once

#include <optional>
#include <string_view>

#include "desktop/memory_status.h"

namespace tessaly::detail {

// The figures from the text of /proc/meminfo, or none without MemTotal.
// Kernels before 3.14 give no MemAvailable; free, buffers and page cache
// stand in for it there.
std::optional<Memory_Figures> Parse_Meminfo(std::string_view text);

}  // namespace tessaly::detail
