#include "desktop/linux/linux_process.h"
#include "desktop/linux/linux_services.h"

namespace tessaly {

namespace {

class Linux_Text_Editor final : public Text_Editor {
public:
    // The desktop's own choice of editor first, then common graphical ones.
    bool View_In_Notepad(const std::filesystem::path& file) override {
        for (const char* name :
             {"xdg-open", "gnome-text-editor", "gedit", "kate", "mousepad", "xed", "pluma"}) {
            const std::string program = detail::Find_On_Path(name);
            if (!program.empty()) {
                return detail::Start_Detached(program, file.string());
            }
        }
        return false;
    }
};

}  // namespace

std::unique_ptr<Text_Editor> Make_Linux_Text_Editor() {
    return std::make_unique<Linux_Text_Editor>();
}

}  // namespace tessaly
