#include "desktop/linux/linux_process.h"
#include "desktop/linux/linux_services.h"

namespace tessaly {

namespace {

// xdg-open hands the link to the desktop's browser or mail program.
class Linux_Link_Opener final : public Link_Opener {
public:
    bool Open_Link(const std::string& link) override {
        if (!Is_Web_Or_Mail_Link(link)) {
            return false;
        }
        const std::string program = detail::Find_On_Path("xdg-open");
        return !program.empty() && detail::Start_Detached(program, link);
    }
};

}  // namespace

std::unique_ptr<Link_Opener> Make_Linux_Link_Opener() {
    return std::make_unique<Linux_Link_Opener>();
}

}  // namespace tessaly
