#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "desktop/file_routines.h"

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

    // The file routines work on real files everywhere, fakes included.
    virtual std::string File_Status(const std::filesystem::path& file) {
        return tessaly::File_Status(file);
    }
    virtual bool Delete_File_Safely(const std::filesystem::path& file) {
        return tessaly::Delete_File_Safely(file);
    }

    // Opens the file in the desktop's text editor without waiting; false when
    // there is no editor to open it with.
    virtual bool View_In_Notepad(const std::filesystem::path& file) = 0;
};

// The backend of the platform the program was built for.
std::unique_ptr<Desktop_Services> Make_Platform_Desktop_Services();

}  // namespace tessaly
