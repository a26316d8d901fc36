#include "desktop/linux/linux_services.h"

namespace tessaly {

namespace {

// Entries in the freedesktop autostart folder arrive with the desktop
// integration; until then there is never one and none can be made.
class Linux_Auto_Start_Entries final : public Auto_Start_Entries {
public:
    std::optional<std::string> Read_Entry(const std::string&) override { return std::nullopt; }
    bool Write_Entry(const std::string&, const std::string&) override { return false; }
    bool Delete_Entry(const std::string&) override { return true; }
};

}  // namespace

std::unique_ptr<Auto_Start_Entries> Make_Linux_Auto_Start_Entries() {
    return std::make_unique<Linux_Auto_Start_Entries>();
}

}  // namespace tessaly
