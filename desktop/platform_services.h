#pragma once

#include <memory>

#include "desktop/auto_start.h"
#include "desktop/daily_notification_task.h"
#include "desktop/file_routines.h"
#include "desktop/link_opener.h"
#include "desktop/memory_status.h"
#include "desktop/regional_date_format.h"
#include "desktop/secret_store.h"
#include "desktop/shell_folders.h"
#include "desktop/startup_show.h"
#include "desktop/text_editor.h"

namespace tessaly {

// One of each service for the system the program was built for. Only the
// executables link the backend that defines Make_Platform_Services; the
// libraries see the interfaces alone.
struct Platform_Services {
    std::unique_ptr<Auto_Start_Entries> Auto_Start;
    std::unique_ptr<Shell_Folders> Shell;
    std::unique_ptr<Text_Editor> Editor;
    std::unique_ptr<Link_Opener> Links;
    std::unique_ptr<File_Routines> File_System;
    std::unique_ptr<Startup_Show> Startup;
    std::unique_ptr<Memory_Status> Memory;
    std::unique_ptr<Regional_Date_Format> Region;
    // Through the sync module, loaded at the first use.
    std::unique_ptr<Secret_Store> Secrets;
    // The scheduled daily notification; none where the desktop has a timer
    // of its own instead (Linux).
    std::unique_ptr<Daily_Notification_Task> Daily_Task;
};

Platform_Services Make_Platform_Services();

// The secret store itself, for the terminal tool and the sync module: it
// links the store's libraries (tessaly_secret_store).
std::unique_ptr<Secret_Store> Make_Secret_Store();

}  // namespace tessaly
