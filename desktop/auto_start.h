#pragma once

#include <optional>
#include <string>

namespace tessaly {

// The store of programs started when the user logs in: the machine's Run key
// of the registry on Windows, the user's autostart folder of desktop entries
// on a freedesktop system. Each entry has a name (the executable's file
// name) and holds a program path.
class Auto_Start_Entries {
public:
    virtual ~Auto_Start_Entries() = default;

    // The store's path as messages name it: the key path on Windows, the
    // folder on Linux.
    virtual std::string Key_Path() = 0;
    // Whether the store is there to take entries. A registry key is never
    // created; a missing autostart folder is, as desktops expect.
    virtual bool Key_Exists() = 0;
    // The program path of the entry of that name; none when the entry or the
    // store is missing (or the desktop's own settings switched it off).
    virtual std::optional<std::string> Read_Entry(const std::string& name) = 0;
    // Why an entry could not start the program at that path (the sentence's
    // end); none where it can.
    virtual std::optional<std::string> Unstartable_Reason(
        const std::string& /*program_path*/) const {
        return std::nullopt;
    }
    // Creates or replaces the entry. False when the store could not be
    // opened or written; the caller reads back to check what landed.
    virtual bool Write_Entry(const std::string& name, const std::string& program_path) = 0;
    // Removes the entry; one that was already absent is no error. False when
    // the store could not be changed; the caller reads back to check.
    virtual bool Delete_Entry(const std::string& name) = 0;
    // Why the last write or delete was refused, as the user is told it;
    // none when the store gave no reason.
    virtual std::optional<std::string> Refusal() const { return std::nullopt; }
    // How the system compares program paths: without regard to ASCII case
    // on Windows, exactly where the file system tells case apart.
    virtual bool Paths_Ignore_Case() const = 0;
};

}  // namespace tessaly
