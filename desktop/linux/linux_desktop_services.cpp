#include "desktop/desktop_services.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace tessaly {

namespace {

// The program's full path from PATH, or empty.
std::string Find_On_Path(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

// Starts the program and returns at once; the intermediate child exits
// straight away so that no zombie is left behind.
bool Start_Detached(const std::string& program, const std::string& argument) {
    const pid_t child = ::fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        ::setsid();
        if (::fork() == 0) {
            const char* arguments[] = {program.c_str(), argument.c_str(), nullptr};
            ::execv(program.c_str(), const_cast<char* const*>(arguments));
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return true;
}

// The freedesktop backend. Auto-start entries arrive with the desktop
// integration; until then there is never one.
class Linux_Desktop_Services final : public Desktop_Services {
public:
    std::optional<std::string> Auto_Run_Entry(const std::string&) override { return std::nullopt; }

    // X11 and Wayland launchers pass no show command to the program.
    std::optional<Startup_Show_Command> Startup_Show() override { return std::nullopt; }

    // The desktop's own choice of editor first, then common graphical ones.
    bool View_In_Notepad(const std::filesystem::path& file) override {
        for (const char* name :
             {"xdg-open", "gnome-text-editor", "gedit", "kate", "mousepad", "xed", "pluma"}) {
            const std::string program = Find_On_Path(name);
            if (!program.empty()) {
                return Start_Detached(program, file.string());
            }
        }
        return false;
    }
};

}  // namespace

std::unique_ptr<Desktop_Services> Make_Platform_Desktop_Services() {
    return std::make_unique<Linux_Desktop_Services>();
}

}  // namespace tessaly
