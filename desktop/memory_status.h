#pragma once

#include <cstdint>
#include <optional>

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

}  // namespace tessaly
