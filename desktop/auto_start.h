#pragma once

#include <optional>
#include <string>

namespace tessaly {

// The entries that start programs when the user logs in, each under a name
// and holding the command line it runs.
class Auto_Start_Entries {
public:
    virtual ~Auto_Start_Entries() = default;

    // The command line of the entry of that name, or none when there is no
    // such entry.
    virtual std::optional<std::string> Read_Entry(const std::string& name) = 0;
    // Creates or replaces the entry; false when it could not be written.
    virtual bool Write_Entry(const std::string& name, const std::string& command_line) = 0;
    // True when no entry of that name is left afterwards.
    virtual bool Delete_Entry(const std::string& name) = 0;
};

}  // namespace tessaly
