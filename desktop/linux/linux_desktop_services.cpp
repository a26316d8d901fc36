#include "desktop/desktop_services.h"

namespace tessaly {

namespace {

// The freedesktop backend. Auto-start entries arrive with the desktop
// integration; until then there is never one.
class Linux_Desktop_Services final : public Desktop_Services {
public:
    std::optional<std::string> Auto_Run_Entry(const std::string&) override { return std::nullopt; }

    // X11 and Wayland launchers pass no show command to the program.
    std::optional<Startup_Show_Command> Startup_Show() override { return std::nullopt; }
};

}  // namespace

std::unique_ptr<Desktop_Services> Make_Platform_Desktop_Services() {
    return std::make_unique<Linux_Desktop_Services>();
}

}  // namespace tessaly
