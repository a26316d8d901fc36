#pragma once

#include <filesystem>
#include <map>

namespace tessaly {

// The kinds of file the Data menu exchanges with other programs.
enum class Exchange_Kind { Contacts, CSV, ICalendar };

// Where the file dialogs for each kind open: the folder of the file last
// chosen for that kind in this session, else the user's documents folder.
class Exchange_Folders {
public:
    std::filesystem::path Start_Folder(Exchange_Kind kind) const;
    void Remember(Exchange_Kind kind, const std::filesystem::path& chosen_file);

private:
    std::map<Exchange_Kind, std::filesystem::path> last_;
};

// The user's documents folder where it exists, else the home folder.
std::filesystem::path Documents_Folder();

}  // namespace tessaly
