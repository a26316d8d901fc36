#pragma once

#include <optional>

namespace tessaly {

// How the program was asked to show its window at start (a launcher set to
// run it minimised, say).
enum class Startup_Show_Command { Normal, Minimised, Maximised };

class Startup_Show {
public:
    virtual ~Startup_Show() = default;

    // The show command the program was started with, where the platform has
    // such a thing.
    virtual std::optional<Startup_Show_Command> Command() = 0;
};

}  // namespace tessaly
