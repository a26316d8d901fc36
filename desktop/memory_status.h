#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

namespace tessaly {

// The machine's memory in bytes. Swap space counts as the page file.
struct Memory_Figures {
    std::uint64_t Total_Physical = 0;
    std::uint64_t Available_Physical = 0;
    std::uint64_t Total_Page_File = 0;
    std::uint64_t Available_Page_File = 0;
};

class Memory_Status {
public:
    virtual ~Memory_Status() = default;

    // The figures now, or none when the system does not tell.
    virtual std::optional<Memory_Figures> Read() = 0;
};

// The share of memory and page file still free, as a whole percentage
// followed by "%" ("37%"), or none when there is no memory to count.
inline std::optional<std::string> Free_Memory_Percentage(const Memory_Figures& figures) {
    // In doubles: sums of byte counts near the top of 64 bits must not wrap.
    const double total =
        static_cast<double>(figures.Total_Physical) + static_cast<double>(figures.Total_Page_File);
    if (!(total > 0)) {
        return std::nullopt;
    }
    const double available = static_cast<double>(figures.Available_Physical) +
                             static_cast<double>(figures.Available_Page_File);
    // A system that reports more free than there is still shows at most 100%.
    const long long percent = std::llround(std::min(available, total) * 100.0 / total);
    return std::to_string(percent) + "%";
}

}  // namespace tessaly
