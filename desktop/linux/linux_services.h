#pragma once

#include <memory>

#include "desktop/auto_start.h"
#include "desktop/file_routines.h"
#include "desktop/link_opener.h"
#include "desktop/memory_status.h"
#include "desktop/regional_date_format.h"
#include "desktop/shell_folders.h"
#include "desktop/startup_show.h"
#include "desktop/text_editor.h"

namespace tessaly {

// The freedesktop backend, one service at a time; Make_Platform_Services
// puts them together.
std::unique_ptr<Auto_Start_Entries> Make_Linux_Auto_Start_Entries();
std::unique_ptr<Shell_Folders> Make_Linux_Shell_Folders();
std::unique_ptr<Text_Editor> Make_Linux_Text_Editor();
std::unique_ptr<Link_Opener> Make_Linux_Link_Opener();
std::unique_ptr<File_Routines> Make_Linux_File_Routines();
std::unique_ptr<Startup_Show> Make_Linux_Startup_Show();
std::unique_ptr<Memory_Status> Make_Linux_Memory_Status();
std::unique_ptr<Regional_Date_Format> Make_Linux_Regional_Date_Format();

}  // namespace tessaly
