#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace tessaly {

// How the program was asked to show its window at start (a launcher set to
// run it minimised, say).
enum class Startup_Show_Command { Normal, Minimised, Maximised };

// The operating system's services that the program uses beyond the window
// toolkit: one interface, one backend per OS chosen at build time, and a fake
// for tests.
class Desktop_Services {
public:
    virtual ~Desktop_Services() = default;

    // The command line that starts the program at log-in under this name, or
    // none when no such entry exists.
    virtual std::optional<std::string> Auto_Run_Entry(const std::string& program_name) = 0;

    // The show command the program was started with, where the platform has
    // such a thing.
    virtual std::optional<Startup_Show_Command> Startup_Show() = 0;
};

// The backend of the platform the program was built for.
std::unique_ptr<Desktop_Services> Make_Platform_Desktop_Services();

}  // namespace tessaly
