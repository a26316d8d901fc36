#pragma once

#include "desktop/memory_status.h"

namespace tessaly {

class Fake_Memory_Status final : public Memory_Status {
public:
    std::optional<Memory_Figures> Read() override { return Figures; }

    std::optional<Memory_Figures> Figures;
};

}  // namespace tessaly
