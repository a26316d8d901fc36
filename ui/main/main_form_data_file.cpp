// The main window's data file: loading, and saving with the checks that keep
// the user's list from being written over by mistake.
#include <exception>

#include "core/data_file.h"
#include "core/errors.h"
#include "core/old_layout_copy.h"
#include "ui/common/message_boxes.h"
#include "ui/main/grid_selection.h"
#include "ui/main/main_form.h"
#include "ui/main/main_form_messages.h"

namespace tessaly {

std::filesystem::path TMainForm1::Data_File() const {
    return data_file_.File();
}

void TMainForm1::Copy_Old_Layout_Files_Once() {
    try {
        const auto copy =
            Copy_Old_Layout_Files(services_.Folders, services_.Executable_Path.parent_path());
        if (!copy) {
            return;
        }
        if (!copy->Settings_To.empty()) {
            Read_Calendar_Account();
        }
        Show_Information(services_.Messages, this, Message_Text(Old_Layout_Copy_Message(*copy)));
    } catch (const std::exception& error) {
        // The list stays where it was, and the message names it.
        Show_Error(services_.Messages, this, Failure_Text(error));
    }
}

bool TMainForm1::Load_Data_From_File_ButtonClick() {
    Load_Options options;
    // A file that could not be read is copied aside at once, so that what
    // the user may still rescue is safe whatever happens next.
    options.Keep_Unreadable_Copy = true;
    options.On_Capacity_Cut = [this] {
        Show_Error(services_.Messages, this, List_Cut_On_Load_Error());
    };
    // A hand-edited count: the list is read by the usual rules, the file as
    // it was is kept, and the user learns what the next save will change.
    options.On_Count_Mismatch = [this](const std::string& message) {
        Show_Information(services_.Messages, this, Message_Text(message));
    };
    try {
        if (data_file_.Load(Event_Array, options) == Load_Result::No_File) {
            return false;
        }
    } catch (const std::exception& error) {
        Show_Error(services_.Messages, this, Failure_Text(error));
        return false;
    }
    Refresh_StringGrid_From_Array_ButtonClick();
    Select_Row(*Names_And_Events_StringGrid, 1);
    return true;
}

void TMainForm1::Save_Data_To_File_ButtonClick(bool closing) {
    if (data_file_.Save(Event_Array) != Data_File_Session::Save_Result::Changed_On_Disk) {
        return;
    }
    if (Confirmed(services_.Messages, this, Changed_On_Disk_Question(Data_File()))) {
        data_file_.Save(Event_Array, true);
        return;
    }
    // Nothing the user made here is lost: it goes to a file of its own
    // before the file's version takes its place.
    const std::filesystem::path aside = data_file_.Keep_Aside(Event_Array);
    Show_Information(services_.Messages, this, Kept_Aside_Notice(Data_File(), aside));
    // Rows shown from the old list would send later commands to the wrong
    // entries, also when the file is gone or cannot be read now.
    if (!closing && !Load_Data_From_File_ButtonClick()) {
        Refresh_StringGrid_From_Array_ButtonClick();
    }
}

bool TMainForm1::Save_After_Change() {
    try {
        Save_Data_To_File_ButtonClick();
    } catch (const std::exception& error) {
        Show_Error(services_.Messages, this, Failure_Sentence(error));
        return false;
    }
    Start_Calendar_Sync();
    return true;
}

void TMainForm1::Save_For_Session_End() {
    if (starting_up_) {
        Quit_For_Termination();
        return;
    }
    Save_Before_Termination();
}

void TMainForm1::Save_Before_Termination() {
    // Nobody is there to answer a question now. What cannot go to its own
    // file goes to the safe file beside it.
    data_file_.Set_Backup_Failure_Handler({});
    try {
        Save_Settings_To_INI_File();
    } catch (const File_Error&) {
        // The settings are worth less than the time the list needs.
    }
    try {
        if (data_file_.Save(Event_Array) == Data_File_Session::Save_Result::Changed_On_Disk) {
            data_file_.Keep_Aside(Event_Array);
        }
    } catch (const File_Error&) {
        try {
            data_file_.Keep_Aside(Event_Array);
        } catch (const File_Error&) {
            // Nowhere left to write: the previous file is still whole.
        }
    }
}

}  // namespace tessaly
