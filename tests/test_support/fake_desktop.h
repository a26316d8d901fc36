#pragma once

#include <filesystem>

#include "desktop/fake/fake_auto_start.h"
#include "desktop/fake/fake_file_routines.h"
#include "desktop/fake/fake_link_opener.h"
#include "desktop/fake/fake_memory_status.h"
#include "desktop/fake/fake_regional_date_format.h"
#include "desktop/fake/fake_secret_store.h"
#include "desktop/fake/fake_shell_folders.h"
#include "desktop/fake/fake_startup_show.h"
#include "desktop/fake/fake_text_editor.h"
#include "test_support/fake_calendar.h"
#include "ui/main/main_form.h"

namespace tessaly::test {

// A fake of every platform service the main window takes, for window tests
// and the window's benchmarks.
struct Fake_Desktop {
    Main_Form_Services Services(Clock& time, Message_Boxes& messages, File_Dialogs& dialogs,
                                const std::filesystem::path& executable) {
        return Main_Form_Services{
            .Time = time,
            .Messages = messages,
            .Dialogs = dialogs,
            .Auto_Start = auto_start,
            .Shell = shell,
            .Startup = startup,
            .File_System = file_system,
            .Editor = editor,
            .Region = region,
            .Links = links,
            .Memory = memory,
            .Secrets = secrets,
            .Calendar_Server = calendar_server,
            .Calendar_Questions = calendar_questions,
            .Executable_Path = executable,
            .Folders = Portable_Folders(executable.parent_path()),
        };
    }

    Fake_Auto_Start_Entries auto_start;
    Fake_Shell_Folders shell;
    Fake_Startup_Show startup;
    Fake_File_Routines file_system;
    Fake_Text_Editor editor;
    // Day, month, four-digit year.
    Fake_Regional_Date_Format region;
    Fake_Link_Opener links;
    Fake_Memory_Status memory;
    Fake_Secret_Store secrets;
    Fake_Calendar_Connection calendar_server;
    Scripted_Calendar_Prompts calendar_questions;
};

}  // namespace tessaly::test
