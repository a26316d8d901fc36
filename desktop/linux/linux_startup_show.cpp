#include "desktop/linux/linux_services.h"

namespace tessaly {

namespace {

// X11 and Wayland launchers pass no show command to the program.
class Linux_Startup_Show final : public Startup_Show {
public:
    std::optional<Startup_Show_Command> Command() override { return std::nullopt; }
};

}  // namespace

std::unique_ptr<Startup_Show> Make_Linux_Startup_Show() {
    return std::make_unique<Linux_Startup_Show>();
}

}  // namespace tessaly
