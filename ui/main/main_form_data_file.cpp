// The main window's data file: loading, and saving with the checks that keep
// the user's list from being written over by mistake.
#include <QString>

#include <exception>

#include "core/atomic_file.h"
#include "core/data_file.h"
#include "core/errors.h"
#include "core/program_identity.h"
#include "ui/common/message_boxes.h"
#include "ui/main/grid_selection.h"
#include "ui/main/main_form.h"

namespace tessaly {

namespace {

QString Title() {
    return QString::fromUtf8(Program_Title);
}

QString Native(const std::filesystem::path& file) {
    return QString::fromStdString(file.string());
}

QString Changed_On_Disk_Question(const std::filesystem::path& file) {
    return QStringLiteral(
               "The data file \"%1\" was changed by another program since %2 last read or saved "
               "it.\n\nWrite the list shown here over it?\n\nYes: the list shown here replaces "
               "the file; its previous version is kept in \"%3\".\nNo: the file's version is "
               "kept; the list shown here is kept aside in a file of its own.")
        .arg(Native(file), Title(), Native(Backup_Path(file)));
}

QString Kept_Aside_Notice(const std::filesystem::path& file, const std::filesystem::path& aside) {
    return QStringLiteral(
               "The file's version of \"%1\" is kept. The list as it was shown here is in \"%2\".")
        .arg(Native(file), Native(aside));
}

}  // namespace

bool TMainForm1::Load_Data_From_File_ButtonClick() {
    Load_Options options;
    // A file that could not be read is copied aside at once, so that what
    // the user may still rescue is safe whatever happens next.
    options.Keep_Unreadable_Copy = true;
    options.On_Capacity_Cut = [this] {
        services_.Messages.Show(this, Message_Kind::Error, Title(),
                                Message_Text(Capacity_Message_Load()));
    };
    try {
        if (data_file_.Load(Event_Array, options) == Load_Result::No_File) {
            return false;
        }
    } catch (const std::exception& error) {
        services_.Messages.Show(this, Message_Kind::Error, Title(), Message_Text(error.what()));
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
    if (services_.Messages.Show(this, Message_Kind::Confirmation, Title(),
                                Changed_On_Disk_Question(Data_File())) == Message_Answer::Yes) {
        data_file_.Save(Event_Array, true);
        return;
    }
    // Nothing the user made here is lost: it goes to a file of its own
    // before the file's version takes its place.
    const std::filesystem::path aside = data_file_.Keep_Aside(Event_Array);
    services_.Messages.Show(this, Message_Kind::Information, Title(),
                            Kept_Aside_Notice(Data_File(), aside));
    // Rows shown from the old list would send later commands to the wrong
    // entries, also when the file is gone or cannot be read now.
    if (!closing && !Load_Data_From_File_ButtonClick()) {
        Refresh_StringGrid_From_Array_ButtonClick();
    }
}

void TMainForm1::Save_Before_Termination() {
    // Nobody is there to answer a question now. What cannot go to its own
    // file goes to the safe file beside it.
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
