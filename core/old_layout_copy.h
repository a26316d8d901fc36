#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/program_folders.h"

namespace tessaly {

// What was copied from the folder where an earlier version kept its files.
struct Old_Layout_Copy {
    std::filesystem::path List_From;
    std::filesystem::path List_To;
    // Empty when the settings stayed: none there, or the settings folder
    // already had its own.
    std::filesystem::path Settings_From;
    std::filesystem::path Settings_To;
};

// Earlier versions kept Tessaly.dat and Tessaly.ini beside the executable;
// an installed program keeps them in the user's folders. When the data
// folder holds no list and the old folder holds one, the list is copied
// across, and the settings unless the settings folder has its own. Each copy
// appears whole or not at all, the originals stay, and nothing in the user's
// folders is written over. None when nothing was copied: a copy that keeps
// its files beside itself, a list already there, or none to copy. Throws
// File_Error when the list cannot be copied.
std::optional<Old_Layout_Copy> Copy_Old_Layout_Files(const Program_Folders& folders,
                                                     const std::filesystem::path& old_folder);

// What the window says about it once; lines end in CR LF.
std::string Old_Layout_Copy_Message(const Old_Layout_Copy& copy);

}  // namespace tessaly
