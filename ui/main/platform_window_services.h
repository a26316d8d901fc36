#pragma once

#include <filesystem>
#include <utility>

#include "desktop/platform_services.h"
#include "ui/dialogs/calendar_prompts.h"
#include "ui/main/main_form.h"

namespace tessaly {

// The window's seams for a real run: the system's platform services, and
// the clock and dialogs the caller made.
inline Main_Form_Services Platform_Window_Services(const Platform_Services& platform, Clock& time,
                                                   Message_Boxes& messages, File_Dialogs& dialogs,
                                                   Calendar_Connection& calendar_server,
                                                   Calendar_Prompts& calendar_questions,
                                                   std::filesystem::path executable,
                                                   Program_Folders folders) {
    return Main_Form_Services{
        .Time = time,
        .Messages = messages,
        .Dialogs = dialogs,
        .Auto_Start = *platform.Auto_Start,
        .Shell = *platform.Shell,
        .Startup = *platform.Startup,
        .File_System = *platform.File_System,
        .Editor = *platform.Editor,
        .Region = *platform.Region,
        .Links = *platform.Links,
        .Memory = *platform.Memory,
        .Secrets = *platform.Secrets,
        .Calendar_Server = calendar_server,
        .Calendar_Questions = calendar_questions,
        .Executable_Path = std::move(executable),
        .Folders = std::move(folders),
        .Daily_Task = platform.Daily_Task.get(),
    };
}

}  // namespace tessaly
