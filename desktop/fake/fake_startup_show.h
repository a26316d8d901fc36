#pragma once

#include "desktop/startup_show.h"

namespace tessaly {

class Fake_Startup_Show final : public Startup_Show {
public:
    std::optional<Startup_Show_Command> Command() override { return Show_Command; }

    std::optional<Startup_Show_Command> Show_Command;
};

}  // namespace tessaly
